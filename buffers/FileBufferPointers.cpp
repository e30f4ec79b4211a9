// Pushed label addresses and the pointers of the buffer set: patching a
// pointer into its buffer, and putting pointer names back into decoded text.
#include <cmath>
#include <cstdio>

#include "buffers/FileBuffer.h"
#include "platform/Platform.h"
#include "services/FileHandle.h"
#include "text/Autobank.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/SmartNum.h"
#include "text/TextKit.h"

namespace kestrel {

namespace {

constexpr double kImageBase = 134217728.0;  // 0x08000000

// Decimal text of a number read from user input: whole numbers without a
// fraction, others in full precision (CPtr rounds them).
std::string numberText(double value) {
    if (std::nearbyint(value) == value && std::fabs(value) < 9.0e18)
        return numeric::decimal(static_cast<int64_t>(value));
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// Numeric reading that treats an unreadable number as 0, the way the
// pointer operations skip a failing step.
double readOrZero(const std::string& text) {
    try {
        return numeric::read(text);
    } catch (const KestrelError&) {
        return 0;
    }
}

}  // namespace

void FileBuffer::pushoffsett(const std::string& name, int32_t address) { pushEntry(name, address); }

const int32_t& FileBuffer::pushEntry(const std::string& name, int32_t address) {
    auto [where, added] = pushed_.try_emplace(name, address);
    if (!added) where->second = address;
    line_ = " - Pushed ";
    line_ += name;
    line_ += " to ";
    line_ += numeric::hexText(address);
    files_.echo(line_);
    return where->second;
}

// The map keeps the address; its text is the spaced decimal, whose numeric
// reading is the address again.
std::optional<int32_t> FileBuffer::pushedAddress(const std::string& name) const {
    auto where = pushed_.find(std::string_view(name));
    if (where == pushed_.end()) return std::nullopt;
    return where->second;
}

std::optional<std::string> FileBuffer::pushed(const std::string& name) const {
    if (auto address = pushedAddress(name)) return numeric::spacedDecimal(*address);
    return std::nullopt;
}

FileBuffer::PointerResolver FileBuffer::askingResolver(Platform& platform) {
    return [&platform](const std::string& target) -> std::optional<double> {
        for (;;) {
            std::optional<std::string> answer =
                platform.inputBox("Enter offset for " + target + ":", "Floating Pointer must be pushed");
            // Nobody answered (cancel, or a run without a user): no address.
            if (!answer) return std::nullopt;
            textkit::replaceAll(*answer, "0x", "&h");
            const double address = readOrZero(*answer);
            if (address != 0) return address;
        }
    };
}

BurnPlan::Pointer FileBuffer::planPointer(const fOffsett& record, int32_t n,
                                          const std::function<int64_t(const std::string&)>& addressOf,
                                          const PointerResolver& resolve,
                                          std::vector<BurnPlan::Problem>& problems) const {
    BurnPlan::Pointer pointer;
    pointer.name = record.name;
    pointer.number = n;
    pointer.buffer = record.Offset / kBufferStride;
    pointer.position = record.Offset - pointer.buffer * kBufferStride;

    const int64_t address = addressOf(record.name);
    if (address == 0) {
        std::string target = record.name;
        if (auto dot = target.find('.'); dot != std::string::npos) target = target.substr(dot + 1);
        if (readOrZero(target) != 0) {
            pointer.target = target;
        } else if (std::optional<double> given = resolve ? resolve(record.name) : std::nullopt) {
            pointer.target = numberText(*given);
        }
    } else {
        pointer.target = numberText(static_cast<double>(address));
    }
    pointer.resolved = !pointer.target.empty();

    if (pointer.resolved) {
        try {
            pointer.value = SmartNum::CPtr(pointer.target, autobank_);
        } catch (const KestrelError& error) {
            pointer.note = std::string(" - ") + error.what();
        }
    }
    if (pointer.value == 0) {
        problems.push_back({BurnPlan::ProblemKind::FloatingPointer, record.name,
                            pointer.resolved ? "pointer " + record.name + " has the value 0"
                                             : "pointer " + record.name + " has no address"});
        return pointer;
    }

    const bool known = record.Offset >= 0 && pointer.buffer < kDataBuffers;
    const Slot* slot = known ? &slots_[static_cast<std::size_t>(pointer.buffer)] : nullptr;
    if (!slot || slot->kind != SlotKind::Bytes ||
        static_cast<int64_t>(pointer.position) + 4 > static_cast<int64_t>(slot->bytes.size())) {
        const std::string size = slot ? std::to_string(slot->bytes.size()) : "no";
        problems.push_back({BurnPlan::ProblemKind::PointerOutsideBuffer, record.name,
                            "pointer " + record.name + " at byte " + std::to_string(pointer.position) + " of buffer " +
                                std::to_string(pointer.buffer) + " runs past the end of the buffer (" + size +
                                " bytes)"});
    }
    return pointer;
}

void FileBuffer::logAdjusting(const BurnPlan::Pointer& pointer) {
    if (!pointer.note.empty()) files_.echo(pointer.note);
    line_ = " - Adjusting ";
    line_ += pointer.name;
    line_ += " in ";
    appendDecimal(line_, pointer.buffer);
    line_ += " at ";
    line_ += numeric::hexText(pointer.value);
    files_.echo(line_);
}

void FileBuffer::pointerpop(int32_t n) {
    auto found = pointers_.find(n);
    if (!found) {
        current_ = std::make_shared<fOffsett>();
        return;
    }
    current_ = found;
    auto addressOf = [this](const std::string& name) -> int64_t { return pushedAddress(name).value_or(0); };
    std::vector<BurnPlan::Problem> problems;
    const BurnPlan::Pointer pointer = planPointer(*found, n, addressOf, resolver_, problems);
    if (pointer.buffer >= 0 && pointer.buffer <= 255) found->buffer = static_cast<uint8_t>(pointer.buffer);
    // Nobody could give an address: nothing to adjust.
    if (!pointer.resolved) throw FloatingPointerError(pointer.name);
    logAdjusting(pointer);
    if (pointer.value == 0) throw FloatingPointerError(pointer.name);
    if (!problems.empty()) throw BurnError(problems.front().text);
    patchPointer(pointer.buffer, pointer.position, pointer.value);
}

void FileBuffer::patchPointer(int32_t b, int32_t position, int32_t value) {
    Slot& slot = slots_[static_cast<std::size_t>(b)];
    const auto bits = static_cast<uint32_t>(value);
    char* place = slot.bytes.data() + position;
    for (int i = 0; i < 4; ++i) place[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

namespace {

// Replaces every "$q" that is not the start of a longer number ("$2" must not
// change "$23").
void replacePlaceholder(std::string& text, const std::string& placeholder, const std::string& name) {
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(placeholder, start)) != std::string::npos;) {
        const std::size_t end = at + placeholder.size();
        const bool longer = end < text.size() && text[end] >= '0' && text[end] <= '9';
        out.append(text, start, end - start - (longer ? 0 : placeholder.size()));
        if (!longer) out += name;
        start = end;
    }
    out.append(text, start, std::string::npos);
    text = std::move(out);
}

}  // namespace

void FileBuffer::PointerPeek(std::string& text, const std::string& list) {
    if (list.empty()) return;
    const std::vector<std::string> items = splitList(list);
    for (std::size_t i = 0; i < items.size(); i += 2) {
        try {
            const int32_t q = numeric::toInt32(numeric::read(items[i]));
            const int64_t at = static_cast<int64_t>(current_->buffer) * kBufferStride + current_->Offset + q - 1;
            auto pointer = pointers_.find(OffsetList::NumberKey::spaced, at);
            if (pointer && !pointer->name.empty()) replacePlaceholder(text, "$" + numeric::decimal(q), pointer->name);
        } catch (const KestrelError&) {
            // A position that is no number names no pointer.
        }
    }
}

void FileBuffer::pointerpoke(const std::string& list) {
    if (list.empty()) return;
    const std::vector<std::string> items = splitList(list);
    for (std::size_t i = 0; i < items.size(); i += 2) {
        const std::string& target = items[i];
        if (target.empty() || pointers_.contains(target)) continue;
        auto record = std::make_shared<fOffsett>();
        record->name = target;
        try {
            if (autobank_.on()) record->Offset = numeric::toInt32(numeric::read(target) - kImageBase);
        } catch (const KestrelError&) {
            record->Offset = 0;
        }
        try {
            if (i + 1 < items.size()) record->mode = numeric::toInt16(numeric::read(items[i + 1]));
        } catch (const KestrelError&) {
            record->mode = 0;
        }
        pointers_.add(std::move(record), target);
        files_.echo(target);
    }
}

}  // namespace kestrel
