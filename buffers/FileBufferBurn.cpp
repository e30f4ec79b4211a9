// Burning the buffer set into an image: addresses for every label, then the
// pointers, then each label's bytes at its address. A failing step is logged
// and skipped; only the critical-error box ends a burn early.
#include <limits>
#include <vector>

#include "buffers/FileBuffer.h"
#include "services/FileHandle.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/SmartString.h"

namespace kestrel {

namespace {

int32_t checkedAddress(int64_t value) {
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        throw OverflowError("address " + std::to_string(value) + " is out of the 32-bit range");
    return static_cast<int32_t>(value);
}

std::string withoutMergePrefix(const std::string& name) {
    const auto dot = name.find('.');
    return dot == std::string::npos ? name : name.substr(dot + 1);
}

} // namespace

void FileBuffer::burnbuffer() {
    auto skipped = [this](const KestrelError& error) { files_.echo(std::string(" - Skipped: ") + error.what()); };

    // Every label gets pushed below.
    std::size_t labelTotal = 0;
    for (const OffsetList& list : labels_) labelTotal += list.items().size();
    pushed_.reserve(pushed_.size() + labelTotal);
    // Each label's entry in pushed_, for the writing phase (entries of an
    // unordered_map stay where they are, and pushed_ loses none); nullptr
    // when the label got no address here.
    std::vector<const int32_t*> entries;
    entries.reserve(labelTotal);

    // Floating labels follow the label before them; the running address
    // carries on from one buffer into the next.
    int32_t running = 0;
    for (int b = 0; b < kDataBuffers; ++b) {
        int32_t previous = 0;
        for (const auto& label : labels_[static_cast<std::size_t>(b)].items()) {
            current_ = label;
            const int32_t* entry = nullptr;
            try {
                auto where = pushed_.find(std::string_view(label->name));
                const double fixed = where == pushed_.end() ? 0 : where->second;
                if (fixed != 0) {
                    running = numeric::toInt32(fixed);
                    entry = &where->second;
                } else {
                    const std::string rest = withoutMergePrefix(label->name);
                    if (SmartString::isvalue(rest, false))
                        running = numeric::toInt32(numeric::read(rest));
                    else
                        running = checkedAddress(static_cast<int64_t>(running) + label->Offset - previous);
                    entry = &pushEntry(label->name, running);
                }
            } catch (const KestrelError& error) {
                skipped(error);
            }
            entries.push_back(entry);
            previous = label->Offset;
        }
        const auto length = static_cast<int64_t>(slots_[static_cast<std::size_t>(b)].bytes.size());
        try {
            running = checkedAddress(static_cast<int64_t>(running) + length - previous);
        } catch (const KestrelError& error) {
            skipped(error);
        }
    }

    for (int32_t n = 1; n <= pointers_.count(); ++n) {
        try {
            pointerpop(n);
        } catch (const KestrelError& error) {
            skipped(error);
        }
    }

    std::size_t next = 0;
    for (int b = 0; b < kDataBuffers; ++b) {
        const int32_t labelCount = labels_[static_cast<std::size_t>(b)].count();
        for (int32_t k = 1; k <= labelCount; ++k) {
            const int32_t* entry = entries[next++];
            try {
                std::string data = Get_Data(k, b);
                const int32_t address = entry ? *entry : pushedAddress(current_->name).value_or(0);
                files_.SeekData(address);
                if (fillme >= 0 && fillme <= 255) data.assign(data.size(), static_cast<char>(fillme));
                line_ = " - Putting [";
                line_ += data;
                line_ += "] at ";
                line_ += numeric::hexText(address);
                files_.echo(line_);
                files_.putText(FileHandle::DataKind::block, data);
            } catch (const KestrelError& error) {
                skipped(error);
            }
        }
    }
}

} // namespace kestrel
