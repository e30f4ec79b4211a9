#include "Mutator.h"

#include <array>

namespace kestrel::fuzz {

namespace {

// Values that break length and count fields: empty, negative as signed
// 16-bit, the largest signed and unsigned 16-bit, and their neighbours.
constexpr std::array<uint32_t, 9> kSpecial = {0, 1, 0xFFFF, 0x7FFF, 0x8000, 0xFFFFFFFF, 0x7FFFFFFF, 16, 17};

}  // namespace

uint32_t Mutator::below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(random_() % n); }

std::string Mutator::withField(std::string input, std::size_t at, int width, uint32_t value) {
    for (int i = 0; i < width && at + static_cast<std::size_t>(i) < input.size(); ++i)
        input[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return input;
}

std::string Mutator::mutate(std::string input) {
    const uint32_t edits = 1 + below(4);
    for (uint32_t e = 0; e < edits; ++e) {
        const auto size = static_cast<uint32_t>(input.size());
        const std::size_t at = below(size + 1);
        switch (below(7)) {
        case 0:
            if (at < size) input[at] = static_cast<char>(input[at] ^ (1 << below(8)));
            break;
        case 1:
            if (at < size) input[at] = static_cast<char>(below(256));
            break;
        case 2: {
            static constexpr std::array<int, 3> widths = {1, 2, 4};
            input = withField(std::move(input), at, widths[below(3)], kSpecial[below(kSpecial.size())]);
            break;
        }
        case 3: input.erase(at, 1 + below(8)); break;
        case 4: input.insert(at, 1 + below(4), static_cast<char>(below(256))); break;
        case 5:
            if (at < size) input.insert(below(size + 1), input.substr(at, 1 + below(16)));
            break;
        default: input.resize(at); break;
        }
    }
    return input;
}

}  // namespace kestrel::fuzz
