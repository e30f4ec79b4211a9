#pragma once
// A small, fast, seedable generator (splitmix64) so that every workload is
// the same on every machine and every run.
#include <cstdint>

namespace kestrel::bench {

class BenchRandom {
public:
    explicit BenchRandom(uint64_t seed) : state_(seed) {}

    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform in [0, bound); bound > 0.
    uint32_t below(uint32_t bound) { return static_cast<uint32_t>(next() % bound); }
    // Uniform in [low, high].
    int64_t between(int64_t low, int64_t high) {
        return low + static_cast<int64_t>(next() % static_cast<uint64_t>(high - low + 1));
    }
    // True with probability percent / 100.
    bool percent(uint32_t chance) { return below(100) < chance; }

private:
    uint64_t state_;
};

}  // namespace kestrel::bench
