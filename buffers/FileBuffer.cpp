#include "buffers/FileBuffer.h"

#include <algorithm>
#include <charconv>

#include "buffers/BlockMode.h"
#include "services/FileHandle.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/SmartNum.h"
#include "text/SmartString.h"

namespace kestrel {

namespace {

// "Plover" places files of any program; every other title reads its own.
FileBuffer::HeaderRule titleRule(const std::string& title) {
    if (title == "Plover") return [](const std::string&) { return true; };
    return [title](const std::string& header) { return header == title; };
}

}  // namespace

FileBuffer::FileBuffer(FileHandle& files, const Autobank& autobank, std::string title)
    : FileBuffer(files, autobank, title, titleRule(title)) {}

FileBuffer::FileBuffer(FileHandle& files, const Autobank& autobank, std::string title, HeaderRule acceptsHeader)
    : files_(files),
      autobank_(autobank),
      title_(std::move(title)),
      acceptsHeader_(std::move(acceptsHeader)),
      resolver_(askingResolver(files.platform())),
      current_(std::make_shared<fOffsett>()) {
    current_->mode = modeCode(BlockMode::commands);
}

void FileBuffer::checkSlot(int slot) {
    if (slot < 0 || slot > kCommentSlot)
        throw OutOfRangeError("buffer slot " + std::to_string(slot) + " (slots are 0 to 16)");
}

void FileBuffer::checkDataBuffer(int b) {
    if (b < 0 || b >= kDataBuffers)
        throw OutOfRangeError("data buffer " + std::to_string(b) + " (data buffers are 0 to 15)");
}

const char* FileBuffer::kindName(SlotKind kind) {
    switch (kind) {
    case SlotKind::Empty: return "Empty";
    case SlotKind::Bytes: return "String";
    case SlotKind::Picture: return "Picture";
    }
    return "Unknown";
}

namespace {

// Whether the tokenizer would take every piece of `list` as written but for
// lower-casing: no blank to scrub or trim and no "#", "x" or "X" that could
// be a hexadecimal mark to rewrite.
bool plainList(const std::string& list) {
    for (char c : list)
        if (c == ' ' || c == '\t' || c == '#' || c == 'x' || c == 'X') return false;
    return true;
}

// The tokenizer lower-cases every piece but the last, unless it is one character.
void lowerPiece(std::string& piece) {
    if (piece.size() >= 2) textkit::lowerInPlace(piece);
}

}  // namespace

std::vector<std::string> FileBuffer::splitList(const std::string& list) {
    std::vector<std::string> items;
    if (plainList(list)) {
        items.reserve(static_cast<std::size_t>(std::count(list.begin(), list.end(), ',')) + 1);
        std::size_t from = 0;
        for (;;) {
            const std::size_t comma = list.find(',', from);
            if (comma == std::string::npos) {
                items.emplace_back(list, from);
                return items;
            }
            lowerPiece(items.emplace_back(list, from, comma - from));
            from = comma + 1;
        }
    }
    // kaSplit keeps everything after the fifteenth delimiter in its last
    // piece; splitting that remainder again continues the same split.
    SmartString pieces;
    std::string rest = list;
    for (;;) {
        pieces.kaSplit(rest, ",");
        const int last = pieces.count();
        if (last < SmartString::kSlots - 1) {
            for (int i = 0; i <= last; ++i) items.push_back(pieces.values(i));
            return items;
        }
        for (int i = 0; i < last; ++i) items.push_back(pieces.values(i));
        rest = pieces.values(last);
    }
}

void FileBuffer::appendDecimal(std::string& text, int64_t value) {
    char digits[24];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    (void)error;  // 24 characters hold every 64-bit number
    text.append(digits, end);
}

void FileBuffer::setInbuffer(uint8_t buffer) {
    lastbuffer = current_->buffer;
    current_->buffer = buffer;
}

const std::string& FileBuffer::buffer(int slot) const {
    checkSlot(slot);
    return slots_[static_cast<std::size_t>(slot)].bytes;
}

void FileBuffer::setBuffer(int slot, std::string bytes) {
    checkSlot(slot);
    Slot& target = slots_[static_cast<std::size_t>(slot)];
    target.kind = SlotKind::Bytes;
    target.bytes = std::move(bytes);
}

void FileBuffer::appendBuffer(int slot, const std::string& bytes) {
    checkSlot(slot);
    Slot& target = slots_[static_cast<std::size_t>(slot)];
    if (target.kind == SlotKind::Picture)
        throw TypeMismatchError("buffer " + std::to_string(slot) + " holds a picture, not bytes");
    target.kind = SlotKind::Bytes;
    target.bytes += bytes;
}

FileBuffer::SlotKind FileBuffer::slotKind(int slot) const {
    checkSlot(slot);
    return slots_[static_cast<std::size_t>(slot)].kind;
}

const OffsetList& FileBuffer::labels(int b) const {
    checkDataBuffer(b);
    return labels_[static_cast<std::size_t>(b)];
}

int32_t FileBuffer::count(int list) const {
    if (list == kPointerList) return pointers_.count();
    if (list < 0 || list > kPointerList)
        throw OutOfRangeError("list " + std::to_string(list) + " (label lists 0 to 15, pointers 16)");
    return labels_[static_cast<std::size_t>(list)].count();
}

void FileBuffer::get_Point(int32_t n, int list) {
    if (list < 0) throw OutOfRangeError("list " + std::to_string(list));
    current_ = std::make_shared<fOffsett>();
    const OffsetList& source = list < kDataBuffers ? labels_[static_cast<std::size_t>(list)] : pointers_;
    if (auto item = source.find(n)) current_ = item;
}

std::vector<FileBuffer::PendingPointer> FileBuffer::compilePointers(const std::string& pointerList, int b,
                                                                    int32_t base) const {
    const std::vector<std::string> items = splitList(pointerList);
    if (items.size() % 3 != 0)
        throw FormatError("pointer list \"" + pointerList + "\" is not made of target,position,kind triples");
    std::vector<PendingPointer> pending;
    pending.reserve(items.size() / 3);
    for (std::size_t i = 0; i < items.size(); i += 3) {
        std::string target = items[i];
        const double address = numeric::read(target);
        if (address > 0) target = "&h" + numeric::hexText(address);

        const int32_t position = numeric::toInt32(numeric::read(items[i + 1]) + base);
        // A pointer's Offset carries its buffer in the 100000s: a position
        // past that would be patched into the next buffer.
        if (position < 0 || position >= kBufferStride)
            throw OutOfRangeError("pointer to " + target + " at byte " + std::to_string(position) + " of buffer " +
                                  std::to_string(b) + ": pointer positions must be below " +
                                  std::to_string(kBufferStride));
        auto record = std::make_shared<fOffsett>();
        record->name = target;
        record->Offset = b * kBufferStride + position;
        record->mode = numeric::toInt16(numeric::read(items[i + 2]));
        record->buffer = static_cast<uint8_t>(b);

        // The key is "&h" + the hexadecimal Offset. A line has few pointers:
        // a scan of the pending ones finds a place given twice; add_Data
        // finds one that the set holds already.
        for (const PendingPointer& other : pending)
            if (other.record->Offset == record->Offset)
                throw DuplicateKeyError(OffsetList::keyText(OffsetList::NumberKey::hex, record->Offset));
        pending.push_back({std::move(record), position});
    }
    return pending;
}

void FileBuffer::add_Data(const std::string& data, const std::string& pointerList) {
    const int b = current_->buffer;
    checkDataBuffer(b);
    Slot& slot = slots_[static_cast<std::size_t>(b)];
    current_->Offset = static_cast<int32_t>(slot.bytes.size());

    if (!pointerList.empty()) {
        // All pointers of the call are checked before any is added, so a
        // failing call leaves the set as it was.
        const std::vector<PendingPointer> pending = compilePointers(pointerList, b, current_->Offset);
        // All or nothing: a place the set holds already takes back this call's pointers.
        for (std::size_t added = 0; added < pending.size(); ++added) {
            const int32_t offset = pending[added].record->Offset;
            if (!pointers_.tryAdd(pending[added].record, OffsetList::NumberKey::hex, offset)) {
                while (added > 0) {
                    --added;
                    pointers_.removeLast(OffsetList::NumberKey::hex, pending[added].record->Offset);
                }
                throw DuplicateKeyError(OffsetList::keyText(OffsetList::NumberKey::hex, offset));
            }
        }
        for (const PendingPointer& pointer : pending) {
            line_ = "- log ";
            line_ += pointer.record->name;
            line_ += " in buffer ";
            appendDecimal(line_, b);
            line_ += " at byte: ";
            appendDecimal(line_, pointer.position);
            files_.echo(line_);
        }
    }

    if (slot.kind == SlotKind::Empty) slot.kind = SlotKind::Bytes;
    if (slot.kind != SlotKind::Bytes) throw SlotKindError(std::string("This Buffer typed as :") + kindName(slot.kind));
    slot.bytes += data;

    if (!current_->name.empty()) labels_[static_cast<std::size_t>(b)].add(current_, current_->name);
    // A record nobody else holds is reset in place instead of replaced.
    if (current_.use_count() == 1)
        *current_ = fOffsett{};
    else
        current_ = std::make_shared<fOffsett>();
}

void FileBuffer::add_Value(const std::string& values, const std::string& types) {
    SmartNum converter(autobank_);
    std::string pointerList = types;
    const std::string data = converter.kaCodevals(values, pointerList);
    add_Data(data, pointerList);
}

void FileBuffer::add_Picture(const std::string& picture, int slot) {
    if (slot == -1) slot = current_->buffer;
    checkSlot(slot);
    Slot& target = slots_[static_cast<std::size_t>(slot)];
    if (target.kind != SlotKind::Empty)
        throw SlotKindError(std::string("This Buffer typed as :") + kindName(target.kind));
    target.kind = SlotKind::Picture;
    target.bytes = picture;
}

std::string FileBuffer::Get_Data(int32_t n, int b) {
    checkDataBuffer(b);
    const OffsetList& list = labels_[static_cast<std::size_t>(b)];
    current_ = list.at(n);
    const std::string& bytes = slots_[static_cast<std::size_t>(b)].bytes;
    const auto size = static_cast<int64_t>(bytes.size());
    // Offsets from a damaged file may lie outside the buffer: clamp them.
    const int64_t from = std::clamp<int64_t>(current_->Offset, 0, size);
    int64_t to = size;
    if (auto next = list.find(n + 1)) to = std::clamp<int64_t>(next->Offset, from, size);
    return bytes.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
}

}  // namespace kestrel
