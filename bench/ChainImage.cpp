#include "bench/ChainImage.h"

#include <numeric>
#include <stdexcept>

#include "bench/BenchRandom.h"

namespace kestrel::bench {

namespace {

constexpr uint32_t kImageBase = 0x08000000;
// A block stays well inside the 1000 bytes the decompiler reads at once.
constexpr int kMaxBlock = 600;

void put(std::string& image, std::size_t at, uint32_t value, int width) {
    for (int i = 0; i < width; ++i)
        image[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

ChainImage::ChainImage(const BenchCodeset& codeset, ChainOptions options) {
    const int64_t slot = options.blocks > 0 ? options.imageSize / options.blocks : 0;
    if (slot < kMaxBlock + 32) throw std::invalid_argument("the image is too small for that many blocks");
    BenchRandom random(options.seed);

    image_.resize(static_cast<std::size_t>(options.imageSize));
    for (std::size_t i = 0; i + 4 <= image_.size(); i += 4) put(image_, i, static_cast<uint32_t>(random.next()), 4);

    // One block per slot of the image, the chain visiting the slots in a
    // shuffled order; no block starts at 0, which would end the walk.
    std::vector<int64_t> slots(static_cast<std::size_t>(options.blocks));
    std::iota(slots.begin(), slots.end(), int64_t{0});
    for (std::size_t i = slots.size(); i > 1; --i)
        std::swap(slots[i - 1], slots[random.below(static_cast<uint32_t>(i))]);
    for (int64_t s : slots)
        addresses_.push_back(
            static_cast<int32_t>(s * slot + 16 + random.below(static_cast<uint32_t>(slot - kMaxBlock - 16))));

    std::vector<int> plain;     // commands that own their byte, without pointers
    std::vector<int> pointing;  // the same with at least one pointer
    for (int i = 1; i < static_cast<int>(codeset.commands().size()) && BenchCodeset::ownsByte(i); ++i)
        (codeset.command(i).hasPointer() ? pointing : plain).push_back(i);
    if (plain.empty() || pointing.empty()) throw std::invalid_argument("the codeset has no commands for a chain");
    auto pick = [&random](const std::vector<int>& from) {
        return from[random.below(static_cast<uint32_t>(from.size()))];
    };

    for (std::size_t b = 0; b < addresses_.size(); ++b) {
        const bool last = b + 1 == addresses_.size();
        auto at = static_cast<std::size_t>(addresses_[b]);
        const std::size_t limit = at + kMaxBlock - 32;
        // `toNext`: every pointer field leads to the next block; otherwise
        // most do and the rest go back to a block the walk has seen.
        auto emit = [&](int index, bool toNext) {
            const BenchCommand& command = codeset.command(index);
            image_[at++] = static_cast<char>(command.byte);
            for (Field field : command.fields) {
                uint32_t value = static_cast<uint32_t>(random.next());
                if (field == Field::Pointer) {
                    const bool forward = toNext || b == 0 || random.percent(70);
                    const std::size_t target = forward ? b + 1 : random.below(static_cast<uint32_t>(b));
                    value = kImageBase + static_cast<uint32_t>(addresses_[target]);
                }
                put(image_, at, value, fieldWidth(field));
                at += static_cast<std::size_t>(fieldWidth(field));
            }
        };
        const int count = static_cast<int>(random.between(5, 60));
        for (int i = 0; i < count && at < limit; ++i)
            emit(!last && random.percent(15) ? pick(pointing) : pick(plain), false);
        if (!last) emit(pick(pointing), true);
        image_[at] = static_cast<char>(codeset.command(codeset.stopIndex()).byte);
    }
}

}  // namespace kestrel::bench
