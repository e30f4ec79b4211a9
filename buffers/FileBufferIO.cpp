// Buffer files: the whole buffer set as typed fields of the file services.
//   header string, comment string, int P, P records,
//   16 x (int C, C label records), then (byte buffer, string bytes) to the end.
// A record is byte buffer, long Offset, int mode, string name (lower case).
#include <array>
#include <limits>

#include "buffers/FileBuffer.h"
#include "platform/Platform.h"
#include "services/FileHandle.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"

namespace kestrel {

namespace {

using Kind = FileHandle::DataKind;

void lowerInPlace(std::string& text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
}

std::string tooLarge(const std::string& what, std::size_t size, const char* unit) {
    return "cannot write the buffer file: " + what + " has " + std::to_string(size) + " " + unit +
           ", a buffer file holds at most " + std::to_string(FileBuffer::kFileLimit);
}

} // namespace

void FileBuffer::validateForFile() const {
    const auto limit = static_cast<std::size_t>(kFileLimit);
    for (int slot = 0; slot <= kCommentSlot; ++slot) {
        const Slot& s = slots_[static_cast<std::size_t>(slot)];
        const std::string what = slot == kCommentSlot ? std::string("the comment") : "buffer " + std::to_string(slot);
        if (s.kind == SlotKind::Picture) throw FormatError("cannot write the buffer file: " + what + " holds a picture");
        if (s.bytes.size() > limit) throw FormatError(tooLarge(what, s.bytes.size(), "bytes"));
    }
    if (title_.size() > limit) throw FormatError(tooLarge("the title", title_.size(), "bytes"));
    if (pointers_.items().size() > limit) throw FormatError(tooLarge("the set", pointers_.items().size(), "pointers"));
    for (const auto& pointer : pointers_.items())
        if (pointer->name.size() > limit)
            throw FormatError(tooLarge("the name of pointer at " + std::to_string(pointer->Offset),
                                       pointer->name.size(), "bytes"));
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
    lowerInPlace(name_);
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
    files_.putdata("string", title_);

    Slot& comment = slots_[kCommentSlot];
    if (comment.bytes.empty()) {
        comment.kind = SlotKind::Bytes;
        comment.bytes = "NO COMMENT";
    }
    files_.putdata("string", comment.bytes);
    files_.echo("COMMENT BUFFER DROP " + std::to_string(comment.bytes.size()) + " [" + comment.bytes + "]");

    files_.putdata("int", pointers_.count());
    files_.echo("DROPPING " + std::to_string(pointers_.count()) + " Pointers");
    for (const auto& pointer : pointers_.items()) writeRecord(*pointer);

    for (int b = 0; b < kDataBuffers; ++b) {
        const OffsetList& list = labels_[static_cast<std::size_t>(b)];
        files_.putdata("int", list.count());
        if (list.count() > 0) files_.echo("DROPPING " + std::to_string(list.count()) + " Offsetts");
        for (const auto& label : list.items()) writeRecord(*label);
    }

    for (int b = 0; b < kDataBuffers; ++b) {
        const std::string& bytes = slots_[static_cast<std::size_t>(b)].bytes;
        if (bytes.empty()) continue;
        files_.putdata("byte", b);
        files_.putdata("string", bytes);
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
    lowerInPlace(record->name);
    if (!prefix.empty()) record->name.insert(0, prefix);
    return record;
}

void FileBuffer::readbuffer(std::string mergestr) {
    if (!mergestr.empty()) mergestr = numeric::lower(mergestr) + ".";

    // Data of this file is appended behind what the buffers hold now; its
    // labels and pointers move along by that many bytes.
    std::array<int64_t, kDataBuffers> base{};
    for (int b = 0; b < kDataBuffers; ++b)
        if (slots_[static_cast<std::size_t>(b)].kind == SlotKind::Bytes)
            base[static_cast<std::size_t>(b)] = static_cast<int64_t>(slots_[static_cast<std::size_t>(b)].bytes.size());

    int32_t itemStart = files_.fPos();
    auto located = [&](const std::string& message) {
        return files_.currentFileName() + ":0x" + numeric::hexText(itemStart) + ": " + message;
    };
    auto count = [&](const char* what) {
        itemStart = files_.fPos();
        const int32_t n = files_.getNumber(Kind::word);
        if (n < 0) throw FormatError(located("negative " + std::string(what) + " count " + std::to_string(n)));
        return n;
    };

    try {
        const std::string header = files_.getText("string");
        if (!acceptsHeader_(header)) {
            files_.platform().messageBox("NOT A " + title_ + " Buffer file!", title_);
            return;
        }
        itemStart = files_.fPos();
        std::string comment = files_.getText("string");
        files_.echo("COMMENT BUFFER GRAB: ");
        files_.echo(" ");
        files_.echo(comment);
        files_.echo(" ");
        slots_[kCommentSlot] = Slot{SlotKind::Bytes, std::move(comment)};

        const int32_t pointerCount = count("pointer");
        files_.echo("GRABBING " + std::to_string(pointerCount) + " Pointers");
        // Without a prefix the keys are spaced decimal Offsets, indexed by number.
        const bool numberKeys = mergestr.empty();
        pointers_.reserve(static_cast<std::size_t>(pointerCount), numberKeys);
        for (int32_t i = 0; i < pointerCount; ++i) {
            itemStart = files_.fPos();
            auto record = readRecord(mergestr);
            const int32_t b = record->Offset / kBufferStride;
            if (record->Offset >= 0 && b < kDataBuffers && base[static_cast<std::size_t>(b)] > 0) {
                const int64_t position = record->Offset - b * kBufferStride + base[static_cast<std::size_t>(b)];
                if (position >= kBufferStride)
                    throw OutOfRangeError(located("pointer " + record->name + " moves to byte " +
                                                  std::to_string(position) + " of buffer " + std::to_string(b) +
                                                  ": pointer positions must be below " + std::to_string(kBufferStride)));
                record->Offset = static_cast<int32_t>(b * kBufferStride + position);
            }
            logRecord(*record);
            const int32_t offset = record->Offset;
            if (numberKeys) pointers_.add(std::move(record), OffsetList::NumberKey::spaced, offset);
            else pointers_.add(std::move(record), mergestr + numeric::spacedDecimal(offset));
            files_.echo(line_);
        }

        for (int b = 0; b < kDataBuffers; ++b) {
            const int32_t labelCount = count("label");
            if (labelCount > 0) files_.echo("GRABBING " + std::to_string(labelCount) + " Offsetts");
            OffsetList& labels = labels_[static_cast<std::size_t>(b)];
            labels.reserve(static_cast<std::size_t>(labelCount), false);
            for (int32_t i = 0; i < labelCount; ++i) {
                itemStart = files_.fPos();
                auto record = readRecord(mergestr);
                const int64_t offset = static_cast<int64_t>(record->Offset) + base[static_cast<std::size_t>(b)];
                if (offset > std::numeric_limits<int32_t>::max())
                    throw FormatError(located("label " + record->name + " lies beyond the range of a buffer"));
                record->Offset = static_cast<int32_t>(offset);
                logRecord(*record);
                const std::string& name = record->name;  // the record outlives the move below
                labels.add(std::move(record), name);
                files_.echo(line_);
            }
        }

        while (files_.fPos() < files_.fLen()) {
            itemStart = files_.fPos();
            const int32_t t = files_.getNumber(Kind::byte);
            if (t < 0 || t > kCommentSlot)
                throw FormatError(located("data record for buffer " + std::to_string(t) + " (buffers are 0 to 16)"));
            std::string bytes = files_.getText(Kind::string);
            Slot& slot = slots_[static_cast<std::size_t>(t)];
            if (slot.kind == SlotKind::Picture)
                throw FormatError(located("data record for buffer " + std::to_string(t) + ", which holds a picture"));
            slot.kind = SlotKind::Bytes;
            slot.bytes += bytes;
            files_.echo("BUFFER " + std::to_string(t) + " GRAB: " + std::to_string(slot.bytes.size()) + " [" +
                        slot.bytes + "]");
        }
    } catch (const FormatError& error) {
        const std::string message = error.what();
        // Our own messages carry their place already; the file services' do not.
        if (message.rfind(files_.currentFileName() + ":0x", 0) == 0) throw;
        throw FormatError(located(message));
    }
}

} // namespace kestrel
