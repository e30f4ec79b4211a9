#pragma once
// The decompile workload: an image of random bytes holding a chain of
// blocks of bytecode. Every block is a run of commands that own their byte
// (so the decoder finds them), ending with a stop command; each block but
// the last points to the next one (pointer fields hold the next block or an
// earlier one), so that decompiling from the first block walks them all.
#include <cstdint>
#include <string>
#include <vector>

#include "bench/BenchCodeset.h"

namespace kestrel::bench {

struct ChainOptions {
    int blocks = 10000;
    int64_t imageSize = 32 << 20;
    uint64_t seed = 2;
};

class ChainImage {
public:
    ChainImage(const BenchCodeset& codeset, ChainOptions options);

    const std::string& bytes() const { return image_; }
    int32_t firstOffset() const { return addresses_.front(); }
    int blocks() const { return static_cast<int>(addresses_.size()); }

private:
    std::string image_;
    std::vector<int32_t> addresses_;  // in chain order
};

}  // namespace kestrel::bench
