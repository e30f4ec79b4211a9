#pragma once
// Deterministic mutations of valid inputs for the seeded fuzz test. The
// generator is std::mt19937 used without the standard distributions, whose
// results differ between libraries, so a seed means the same inputs
// everywhere.
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

namespace kestrel::fuzz {

class Mutator {
public:
    explicit Mutator(uint32_t seed) : random_(seed) {}

    // A number in 0 .. n-1 (0 for n = 0).
    uint32_t below(uint32_t n);
    // One to four random edits: bit flips, random bytes, a length-like value
    // (0, 1, -1, 32767, 65535, ...) written over 1, 2 or 4 bytes, deletions,
    // insertions and duplicated spans.
    std::string mutate(std::string input);

    // `input` with `width` bytes at `at` replaced by `value`, little-endian
    // (cut short at the end of the input).
    static std::string withField(std::string input, std::size_t at, int width, uint32_t value);

private:
    std::mt19937 random_;
};

}  // namespace kestrel::fuzz
