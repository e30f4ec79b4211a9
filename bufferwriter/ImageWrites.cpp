#include "bufferwriter/ImageWrites.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <vector>

#include "buffers/BurnPlan.h"
#include "buffers/FileBuffer.h"
#include "text/KestrelError.h"

namespace kestrel {

void ImageWrites::write(int64_t address, std::string_view bytes) {
    if (bytes.empty()) return;
    const int64_t end = address + static_cast<int64_t>(bytes.size());
    // The first span that could reach into [address, end).
    auto at = spans_.upper_bound(address);
    if (at != spans_.begin()) {
        auto before = std::prev(at);
        if (before->first + static_cast<int64_t>(before->second.size()) > address) at = before;
    }
    std::optional<std::pair<int64_t, std::string>> tail;
    while (at != spans_.end() && at->first < end) {
        const int64_t spanEnd = at->first + static_cast<int64_t>(at->second.size());
        if (spanEnd > end) tail.emplace(end, at->second.substr(static_cast<std::size_t>(end - at->first)));
        if (at->first < address) {
            at->second.resize(static_cast<std::size_t>(address - at->first));
            ++at;
        } else {
            at = spans_.erase(at);
        }
    }
    spans_.emplace(address, std::string(bytes));
    if (tail) spans_.emplace(std::move(*tail));
}

int64_t ImageWrites::end() const {
    if (spans_.empty()) return 0;
    const auto& last = *spans_.rbegin();
    return last.first + static_cast<int64_t>(last.second.size());
}

int64_t ImageWrites::targetSize(int64_t sourceSize) const { return std::max(sourceSize, end()); }

void ImageWrites::walk(std::string_view source, const Visitor& visit) const {
    const auto sourceSize = static_cast<int64_t>(source.size());
    // The run being gathered; it is reported when a run of another kind starts.
    Run kind = Run::Same;
    int64_t start = 0;
    int64_t length = 0;
    std::string changed;
    auto flush = [&] {
        if (length > 0)
            visit(kind, start, length, kind == Run::Changed ? std::string_view(changed) : std::string_view());
        changed.clear();
        length = 0;
    };
    auto add = [&](Run run, int64_t address, int64_t count, std::string_view bytes) {
        if (count <= 0) return;
        if (length > 0 && (run != kind || start + length != address)) flush();
        if (length == 0) {
            kind = run;
            start = address;
        }
        length += count;
        if (run == Run::Changed) changed.append(bytes);
    };
    // Bytes no write covers: the original's, then zeros past its end.
    auto untouched = [&](int64_t from, int64_t to) {
        const int64_t sameEnd = std::min(to, sourceSize);
        add(Run::Same, from, sameEnd - from, {});
        const int64_t grownFrom = std::max(from, sourceSize);
        add(Run::Grown, grownFrom, to - grownFrom, {});
    };

    int64_t position = 0;
    for (const auto& [address, bytes] : spans_) {
        untouched(position, address);
        const auto size = static_cast<int64_t>(bytes.size());
        for (int64_t i = 0; i < size;) {
            auto same = [&](int64_t k) {
                return address + k < sourceSize &&
                       source[static_cast<std::size_t>(address + k)] == bytes[static_cast<std::size_t>(k)];
            };
            const bool keeps = same(i);
            int64_t j = i + 1;
            while (j < size && same(j) == keeps) ++j;
            if (keeps)
                add(Run::Same, address + i, j - i, {});
            else
                add(Run::Changed, address + i, j - i,
                    std::string_view(bytes).substr(static_cast<std::size_t>(i), static_cast<std::size_t>(j - i)));
            i = j;
        }
        position = address + size;
    }
    untouched(position, sourceSize);
    flush();
}

ImageWrites ImageWrites::ofBurn(const FileBuffer& set, const BurnPlan& plan) {
    if (plan.hasHardProblems()) throw BurnError("nothing written: " + plan.describeProblems());
    // The buffers with the pointer values patched in, made only for buffers
    // that hold pointers; the others are read in place.
    std::array<std::optional<std::string>, FileBuffer::kDataBuffers> patched;
    for (const BurnPlan::Pointer& pointer : plan.pointers) {
        if (!pointer.resolved || pointer.value == 0)
            throw BurnError("nothing written: the pointer to " + pointer.name + " has no address");
        if (pointer.buffer < 0 || pointer.buffer >= FileBuffer::kDataBuffers) continue;
        auto& bytes = patched[static_cast<std::size_t>(pointer.buffer)];
        if (!bytes) bytes = set.buffer(pointer.buffer);
        const auto bits = static_cast<uint32_t>(pointer.value);
        for (std::size_t i = 0; i < 4; ++i)
            (*bytes)[static_cast<std::size_t>(pointer.position) + i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    }

    ImageWrites writes;
    for (const BurnPlan::Label& label : plan.labels) {
        if (label.size <= 0) continue;
        const auto b = static_cast<std::size_t>(label.buffer);
        const std::string& bytes = patched[b] ? *patched[b] : set.buffer(label.buffer);
        const auto from =
            static_cast<std::size_t>(std::clamp<int64_t>(label.offset, 0, static_cast<int64_t>(bytes.size())));
        const std::string_view data = std::string_view(bytes).substr(from, static_cast<std::size_t>(label.size));
        if (set.fillme >= 0 && set.fillme <= 255)
            writes.write(label.address, std::string(data.size(), static_cast<char>(set.fillme)));
        else
            writes.write(label.address, data);
    }
    return writes;
}

}  // namespace kestrel
