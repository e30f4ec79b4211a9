#include "bench/BurnWorkload.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <stdexcept>
#include <vector>

#include "bench/BenchRandom.h"

namespace kestrel::bench {

namespace {

constexpr uint32_t kImageBase = 0x08000000;
std::string addressName(int32_t address) {
    char name[16];
    std::snprintf(name, sizeof name, "&h%08x", static_cast<uint32_t>(address));
    return name;
}

void putLong(std::string& bytes, std::size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

BurnWorkload::BurnWorkload(BurnOptions options) {
    constexpr int kBuffers = 16;
    const int perBuffer = (options.labels + kBuffers - 1) / kBuffers;
    // Each label's data fits its share of a buffer; the image gives each a slot.
    const int maxData = std::min(BufferFileWriter::kLimit / perBuffer, 64);
    const int64_t slot = options.imageSize / options.labels;
    if (maxData < 8 || slot < maxData + 16) throw std::invalid_argument("too many labels for the buffers or the image");
    BenchRandom random(options.seed);

    image_.resize(static_cast<std::size_t>(options.imageSize));
    for (std::size_t i = 0; i + 4 <= image_.size(); i += 4) putLong(image_, i, static_cast<uint32_t>(random.next()));

    std::vector<int64_t> slots(static_cast<std::size_t>(options.labels));
    std::iota(slots.begin(), slots.end(), int64_t{0});
    for (std::size_t i = slots.size(); i > 1; --i)
        std::swap(slots[i - 1], slots[random.below(static_cast<uint32_t>(i))]);
    std::vector<int32_t> addresses;
    for (int64_t s : slots)
        addresses.push_back(static_cast<int32_t>(s * slot + random.below(static_cast<uint32_t>(slot - maxData))));

    expected_ = image_;
    for (int i = 0; i < options.labels; ++i) {
        const int b = i % kBuffers;
        std::string& buffer = file_.data[b];
        const auto offset = static_cast<int32_t>(buffer.size());
        const int size = static_cast<int>(random.between(8, maxData));
        std::string data(static_cast<std::size_t>(size), '\0');
        for (char& c : data) c = static_cast<char>(random.below(256));
        const auto slotAt = random.below(static_cast<uint32_t>(size - 3));
        data.replace(slotAt, 4, "!PTR");
        const int target = static_cast<int>(random.below(static_cast<uint32_t>(options.labels)));

        const auto number = static_cast<uint8_t>(b);
        const int32_t position = b * BufferFileWriter::kBufferStride + offset + static_cast<int32_t>(slotAt);
        file_.labels[b].push_back({number, offset, 3, addressName(addresses[static_cast<std::size_t>(i)])});
        file_.pointers.push_back({number, position, 3, addressName(addresses[static_cast<std::size_t>(target)])});
        buffer += data;

        putLong(data, slotAt, kImageBase + static_cast<uint32_t>(addresses[static_cast<std::size_t>(target)]));
        expected_.replace(static_cast<std::size_t>(addresses[static_cast<std::size_t>(i)]), data.size(), data);
    }
    file_.comment = "Kestrel burn benchmark: " + std::to_string(options.labels) + " labels";
}

}  // namespace kestrel::bench
