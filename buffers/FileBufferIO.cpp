// Buffer files: the whole buffer set as typed fields of the file services.
//   header string, comment string, int P, P records,
//   16 x (int C, C label records), then (byte buffer, string bytes) to the end.
// A record is byte buffer, long Offset, int mode, string name (lower case).
#include <array>
#include <limits>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "buffers/FileBuffer.h"
#include "platform/Platform.h"
#include "services/FileHandle.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/ScriptWord.h"

namespace kestrel {

namespace {

using Kind = FileHandle::DataKind;

std::string tooLarge(const std::string& what, std::size_t size, const char* unit) {
    return "cannot write the buffer file: " + what + " has " + std::to_string(size) + " " + unit +
           ", a buffer file holds at most " + std::to_string(FileBuffer::kFileLimit);
}

}  // namespace

void FileBuffer::validateForFile() const {
    const auto limit = static_cast<std::size_t>(kFileLimit);
    for (int slot = 0; slot <= kCommentSlot; ++slot) {
        const Slot& s = slots_[static_cast<std::size_t>(slot)];
        const std::string what = slot == kCommentSlot ? std::string("the comment") : "buffer " + std::to_string(slot);
        if (s.kind == SlotKind::Picture)
            throw FormatError("cannot write the buffer file: " + what + " holds a picture");
        if (s.bytes.size() > limit) throw FormatError(tooLarge(what, s.bytes.size(), "bytes"));
    }
    if (title_.size() > limit) throw FormatError(tooLarge("the title", title_.size(), "bytes"));
    if (pointers_.items().size() > limit) throw FormatError(tooLarge("the set", pointers_.items().size(), "pointers"));
    for (const auto& pointer : pointers_.items())
        if (pointer->name.size() > limit)
            throw FormatError(
                tooLarge("the name of pointer at " + std::to_string(pointer->Offset), pointer->name.size(), "bytes"));
    for (int b = 0; b < kDataBuffers; ++b) {
        const OffsetList& list = labels_[static_cast<std::size_t>(b)];
        if (list.items().size() > limit)
            throw FormatError(tooLarge("buffer " + std::to_string(b), list.items().size(), "labels"));
        for (const auto& label : list.items())
            if (label->name.size() > limit)
                throw FormatError(tooLarge("a label name of buffer " + std::to_string(b), label->name.size(), "bytes"));
    }
}

void FileBuffer::writeRecord(const fOffsett& record) {
    files_.putNumber(Kind::byte, record.buffer);
    files_.putNumber(Kind::dword, record.Offset);
    files_.putNumber(Kind::word, record.mode);
    name_ = record.name;
    textkit::lowerInPlace(name_);
    files_.putText(Kind::string, name_);
    line_ = record.name;
    line_ += " at buffer ";
    appendDecimal(line_, record.buffer);
    line_ += " position ";
    appendDecimal(line_, record.Offset);
    line_ += ' ';
    files_.echo(line_);
}

void FileBuffer::writebuffer() {
    validateForFile();
    files_.putText(Kind::string, title_);

    Slot& comment = slots_[kCommentSlot];
    if (comment.bytes.empty()) {
        comment.kind = SlotKind::Bytes;
        comment.bytes = "NO COMMENT";
    }
    files_.putText(Kind::string, comment.bytes);
    files_.echo("COMMENT BUFFER DROP " + std::to_string(comment.bytes.size()) + " [" + comment.bytes + "]");

    files_.putNumber(Kind::word, pointers_.count());
    files_.echo("DROPPING " + std::to_string(pointers_.count()) + " Pointers");
    for (const auto& pointer : pointers_.items()) writeRecord(*pointer);

    for (int b = 0; b < kDataBuffers; ++b) {
        const OffsetList& list = labels_[static_cast<std::size_t>(b)];
        files_.putNumber(Kind::word, list.count());
        if (list.count() > 0) files_.echo("DROPPING " + std::to_string(list.count()) + " Offsetts");
        for (const auto& label : list.items()) writeRecord(*label);
    }

    for (int b = 0; b < kDataBuffers; ++b) {
        const std::string& bytes = slots_[static_cast<std::size_t>(b)].bytes;
        if (bytes.empty()) continue;
        files_.putNumber(Kind::byte, b);
        files_.putText(Kind::string, bytes);
        files_.echo("BUFFER " + std::to_string(b) + " DROP: " + std::to_string(bytes.size()) + " [" + bytes + "]");
    }
    files_.echo("|");
    files_.echo("\\- Processed " + std::to_string(kDataBuffers) + " Buffers");
    files_.echo(" ");
}

// The log line of a record read from a file, into line_.
void FileBuffer::logRecord(const fOffsett& record) {
    line_.clear();
    appendDecimal(line_, record.buffer);
    line_ += ' ';
    appendDecimal(line_, record.Offset);
    line_ += ' ';
    line_ += record.name;
}

std::shared_ptr<fOffsett> FileBuffer::readRecord(const std::string& prefix) {
    auto record = std::make_shared<fOffsett>();
    record->buffer = static_cast<uint8_t>(files_.getNumber(Kind::byte));
    record->Offset = files_.getNumber(Kind::dword);
    record->mode = static_cast<int16_t>(files_.getNumber(Kind::word));
    record->name = files_.getText(Kind::string);
    textkit::lowerInPlace(record->name);
    if (!prefix.empty()) record->name.insert(0, prefix);
    return record;
}

namespace {

// Byte offsets of a record's fields, for messages.
constexpr int32_t kOffsetField = 1;
constexpr int32_t kNameField = 7;

// A label or pointer record as read, with where it starts in the file.
struct FileRecord {
    std::shared_ptr<fOffsett> record;
    int32_t at;
};

// A data record as read: its buffer number and where its bytes start.
struct FileData {
    int slot;
    int32_t bytesAt;
    std::string bytes;
};

constexpr std::string_view kPlaceholder = "!PTR";

}  // namespace

// A file is read whole and checked before the set changes at all: either
// every pointer, label and byte of it is merged, or the set stays as it was.
// Everything that a later burn or decompile trusts is checked here: pointer
// places lie inside their buffer's data, labels inside or at the end of it,
// every pointer placeholder of the data has its pointer, names can stand in
// a script line, and the merged keys are free.
void FileBuffer::readbuffer(std::string mergestr) {
    if (!mergestr.empty()) mergestr = textkit::lower(mergestr) + ".";

    int32_t itemStart = files_.fPos();
    auto located = [&](int32_t at, const std::string& message) {
        return files_.currentFileName() + ":0x" + numeric::hexText(at) + ": " + message;
    };
    auto count = [&](const char* what) {
        itemStart = files_.fPos();
        const int32_t n = files_.getNumber(Kind::word);
        if (n < 0)
            throw FormatError(located(itemStart, "negative " + std::string(what) + " count " + std::to_string(n)));
        return n;
    };
    auto checkName = [&](const FileRecord& read, const char* what) {
        const std::string& name = read.record->name;
        const std::string why = ScriptWord::unsafe(std::string_view(name).substr(mergestr.size()));
        if (!why.empty())
            throw FormatError(located(read.at + kNameField, std::string(what) + " name '" + name + "' " + why));
    };

    std::string comment;
    std::vector<FileRecord> pointers;
    std::array<std::vector<FileRecord>, kDataBuffers> labels;
    std::vector<FileData> data;
    std::array<std::string, kDataBuffers> fileBytes;  // this file's data per buffer

    try {
        const std::string header = files_.getText(Kind::string);
        if (!acceptsHeader_(header)) {
            const std::string message = "NOT A " + title_ + " Buffer file!";
            files_.platform().messageBox(message, title_);
            throw FormatError(located(itemStart, message));
        }
        comment = files_.getText(Kind::string);

        const int32_t pointerCount = count("pointer");
        pointers.reserve(static_cast<std::size_t>(pointerCount));
        for (int32_t i = 0; i < pointerCount; ++i) {
            itemStart = files_.fPos();
            FileRecord read{readRecord(mergestr), itemStart};
            checkName(read, "pointer");
            const int32_t offset = read.record->Offset;
            if (offset < 0 || offset / kBufferStride >= kDataBuffers)
                throw FormatError(located(read.at + kOffsetField,
                                          "pointer position " + std::to_string(offset) +
                                              " names no buffer (buffer 0 to 15 times 100000 plus the byte)"));
            pointers.push_back(std::move(read));
        }

        for (int b = 0; b < kDataBuffers; ++b) {
            const int32_t labelCount = count("label");
            labels[static_cast<std::size_t>(b)].reserve(static_cast<std::size_t>(labelCount));
            for (int32_t i = 0; i < labelCount; ++i) {
                itemStart = files_.fPos();
                FileRecord read{readRecord(mergestr), itemStart};
                checkName(read, "label");
                if (read.record->Offset < 0)
                    throw FormatError(located(read.at + kOffsetField, "label " + read.record->name +
                                                                          " has the negative offset " +
                                                                          std::to_string(read.record->Offset)));
                labels[static_cast<std::size_t>(b)].push_back(std::move(read));
            }
        }

        while (files_.fPos() < files_.fLen()) {
            itemStart = files_.fPos();
            const int32_t t = files_.getNumber(Kind::byte);
            if (t < 0 || t > kCommentSlot)
                throw FormatError(
                    located(itemStart, "data record for buffer " + std::to_string(t) + " (buffers are 0 to 16)"));
            if (t < kDataBuffers && slots_[static_cast<std::size_t>(t)].kind == SlotKind::Picture)
                throw FormatError(
                    located(itemStart, "data record for buffer " + std::to_string(t) + ", which holds a picture"));
            FileData record{t, itemStart + 5, files_.getText(Kind::string)};
            if (t < kDataBuffers) fileBytes[static_cast<std::size_t>(t)] += record.bytes;
            data.push_back(std::move(record));
        }
    } catch (const FormatError& error) {
        const std::string message = error.what();
        // Our own messages carry their place already; the file services' do not.
        if (message.rfind(files_.currentFileName() + ":0x", 0) == 0) throw;
        throw FormatError(located(itemStart, message));
    }

    // Checks against the whole file.
    for (const FileRecord& read : pointers) {
        const int32_t b = read.record->Offset / kBufferStride;
        const int64_t position = read.record->Offset - static_cast<int64_t>(b) * kBufferStride;
        const std::size_t size = fileBytes[static_cast<std::size_t>(b)].size();
        if (position + 4 > static_cast<int64_t>(size))
            throw FormatError(located(read.at + kOffsetField, "pointer " + read.record->name + " at byte " +
                                                                  std::to_string(position) + " of buffer " +
                                                                  std::to_string(b) + " lies outside the buffer's " +
                                                                  std::to_string(size) + " bytes"));
    }
    for (int b = 0; b < kDataBuffers; ++b) {
        const std::size_t size = fileBytes[static_cast<std::size_t>(b)].size();
        for (const FileRecord& read : labels[static_cast<std::size_t>(b)])
            if (static_cast<std::size_t>(read.record->Offset) > size)
                throw FormatError(located(read.at + kOffsetField, "label " + read.record->name + " at offset " +
                                                                      std::to_string(read.record->Offset) +
                                                                      " lies past the " + std::to_string(size) +
                                                                      " bytes of buffer " + std::to_string(b)));
    }
    // A placeholder that no pointer patches would reach the image as it is.
    // The pointer places are gathered only when the data holds a placeholder.
    {
        std::unordered_set<int32_t> places;
        bool gathered = false;
        std::array<std::size_t, kDataBuffers> seen{};
        for (const FileData& record : data) {
            if (record.slot >= kDataBuffers) continue;
            const std::size_t base = seen[static_cast<std::size_t>(record.slot)];
            seen[static_cast<std::size_t>(record.slot)] += record.bytes.size();
            const std::string& all = fileBytes[static_cast<std::size_t>(record.slot)];
            for (std::size_t at = all.find(kPlaceholder, base);
                 at != std::string::npos && at < base + record.bytes.size(); at = all.find(kPlaceholder, at + 1)) {
                if (!gathered) {
                    places.reserve(pointers.size());
                    for (const FileRecord& read : pointers) places.insert(read.record->Offset);
                    gathered = true;
                }
                if (places.count(record.slot * kBufferStride + static_cast<int32_t>(at)) == 0)
                    throw FormatError(located(record.bytesAt + static_cast<int32_t>(at - base),
                                              "pointer placeholder at byte " + std::to_string(at) + " of buffer " +
                                                  std::to_string(record.slot) + " has no pointer record"));
            }
        }
    }

    // Data of this file is appended behind what the buffers hold now; its
    // labels and pointers move along by that many bytes.
    std::array<int64_t, kDataBuffers> base{};
    for (int b = 0; b < kDataBuffers; ++b)
        if (slots_[static_cast<std::size_t>(b)].kind == SlotKind::Bytes)
            base[static_cast<std::size_t>(b)] = static_cast<int64_t>(slots_[static_cast<std::size_t>(b)].bytes.size());

    // Pointers and labels go straight into the set's lists, whose keys find
    // a clash with the set and within the file in one look-up. Whatever
    // refuses the file takes back what it added, newest first, so the set
    // is as it was.
    // Without a prefix the pointer keys are spaced decimal Offsets, indexed by number.
    const bool numberKeys = mergestr.empty();
    auto pointerKey = [&](int32_t offset) { return mergestr + numeric::spacedDecimal(offset); };
    const int32_t pointersBefore = pointers_.count();
    std::array<int32_t, kDataBuffers> labelsBefore{};
    for (int b = 0; b < kDataBuffers; ++b)
        labelsBefore[static_cast<std::size_t>(b)] = labels_[static_cast<std::size_t>(b)].count();
    try {
        pointers_.reserve(pointers.size(), numberKeys);
        for (FileRecord& read : pointers) {
            fOffsett& record = *read.record;
            const int32_t b = record.Offset / kBufferStride;
            if (base[static_cast<std::size_t>(b)] > 0) {
                const int64_t position = record.Offset - b * kBufferStride + base[static_cast<std::size_t>(b)];
                if (position >= kBufferStride)
                    throw OutOfRangeError(located(
                        read.at + kOffsetField,
                        "pointer " + record.name + " moves to byte " + std::to_string(position) + " of buffer " +
                            std::to_string(b) + ": pointer positions must be below " + std::to_string(kBufferStride)));
                record.Offset = static_cast<int32_t>(b * kBufferStride + position);
            }
            const bool added = numberKeys ? pointers_.tryAdd(read.record, OffsetList::NumberKey::spaced, record.Offset)
                                          : pointers_.tryAdd(read.record, pointerKey(record.Offset));
            if (!added)
                throw DuplicateKeyError(
                    located(read.at + kOffsetField,
                            "a pointer at position " + std::to_string(record.Offset) + " is there already"));
        }
        for (int b = 0; b < kDataBuffers; ++b) {
            OffsetList& list = labels_[static_cast<std::size_t>(b)];
            list.reserve(labels[static_cast<std::size_t>(b)].size(), false);
            for (FileRecord& read : labels[static_cast<std::size_t>(b)]) {
                fOffsett& record = *read.record;
                const int64_t offset = static_cast<int64_t>(record.Offset) + base[static_cast<std::size_t>(b)];
                if (offset > std::numeric_limits<int32_t>::max())
                    throw FormatError(
                        located(read.at + kOffsetField, "label " + record.name + " lies beyond the range of a buffer"));
                record.Offset = static_cast<int32_t>(offset);
                if (!list.tryAdd(read.record, record.name))
                    throw DuplicateKeyError(located(read.at + kNameField, "label " + record.name + " of buffer " +
                                                                              std::to_string(b) + " is there already"));
            }
        }
    } catch (...) {
        for (int b = kDataBuffers - 1; b >= 0; --b) {
            OffsetList& list = labels_[static_cast<std::size_t>(b)];
            while (list.count() > labelsBefore[static_cast<std::size_t>(b)]) list.removeLast(list.items().back()->name);
        }
        while (pointers_.count() > pointersBefore) {
            const int32_t offset = pointers_.items().back()->Offset;
            if (numberKeys)
                pointers_.removeLast(OffsetList::NumberKey::spaced, offset);
            else
                pointers_.removeLast(pointerKey(offset));
        }
        throw;
    }

    // The merge is done for the lists; nothing below refuses the file.
    files_.echo("COMMENT BUFFER GRAB: ");
    files_.echo(" ");
    files_.echo(comment);
    files_.echo(" ");
    slots_[kCommentSlot] = Slot{SlotKind::Bytes, std::move(comment)};

    files_.echo("GRABBING " + std::to_string(pointers.size()) + " Pointers");
    for (const FileRecord& read : pointers) {
        logRecord(*read.record);
        files_.echo(line_);
    }

    for (int b = 0; b < kDataBuffers; ++b) {
        const std::vector<FileRecord>& read = labels[static_cast<std::size_t>(b)];
        if (!read.empty()) files_.echo("GRABBING " + std::to_string(read.size()) + " Offsetts");
        for (const FileRecord& label : read) {
            logRecord(*label.record);
            files_.echo(line_);
        }
    }

    for (FileData& record : data) {
        Slot& slot = slots_[static_cast<std::size_t>(record.slot)];
        slot.kind = SlotKind::Bytes;
        slot.bytes += record.bytes;
        files_.echo("BUFFER " + std::to_string(record.slot) + " GRAB: " + std::to_string(slot.bytes.size()) + " [" +
                    slot.bytes + "]");
    }
}

}  // namespace kestrel
