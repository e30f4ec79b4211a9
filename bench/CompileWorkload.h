#pragma once
// The compile workload: a script of command lines of the benchmark codeset,
// in blocks under labels spread over the sixteen buffers, burned into an
// image chunk by chunk ("#kapop", then "#kableewy"), and the same program
// as GNU assembler source, which must assemble to the identical image.
//
// Every label has an address of its own: numeric labels ("#org 0x0001A2B0 5")
// carry it in their name, named ones are pushed ("#kapush lbl17 0x...") in
// their chunk. Pointers name a label of their chunk or give a label's
// address as a number. A buffer stays below kBufferCap bytes, so every
// pointer position lies below the 100000 bytes a buffer can address.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "bench/BenchCodeset.h"

namespace kestrel::bench {

struct CompileOptions {
    int64_t lines = 1000000;  // command lines
    uint64_t seed = 1;
    int32_t bufferCap = 96000;  // bytes per buffer and chunk
    // Above 0xFFFF: a numeric pointer target is kept as "&h" + its digits
    // without leading zeros, and four digits read as a signed 16-bit number,
    // so targets 0x8000..0xFFFF would be patched as 0xFFFF8000..0xFFFFFFFF.
    int32_t firstAddress = 0x10000;
    std::string image = "image.bin";  // the image the script burns into
};

class CompileWorkload {
public:
    CompileWorkload(const BenchCodeset& codeset, CompileOptions options);

    void writeScript(std::ostream& out) const;
    void writeGas(std::ostream& out) const;

    int64_t lines() const { return static_cast<int64_t>(lines_.size()); }
    std::size_t labels() const { return blocks_.size(); }
    int chunks() const { return chunks_; }
    int64_t pointers() const { return pointers_; }
    // Length of the image: the end of the block that lies highest.
    int64_t imageSize() const { return imageSize_; }

private:
    struct Line {
        uint16_t command;
        uint32_t firstValue;  // index into values_; pointers hold a block index
    };
    struct Block {
        int64_t firstLine = 0;
        int32_t lineCount = 0;
        int32_t size = 0;
        int32_t address = 0;
        int chunk = 0;
        uint8_t buffer = 0;
        bool named = false;
    };

    void renderValue(std::string& out, Field field, uint32_t value, const Block& from, uint64_t style) const;
    std::string labelName(std::size_t block) const;

    const BenchCodeset& codeset_;
    CompileOptions options_;
    std::vector<Line> lines_;
    std::vector<uint32_t> values_;
    std::vector<Block> blocks_;  // in script order
    int chunks_ = 0;
    int64_t pointers_ = 0;
    int64_t imageSize_ = 0;
};

}  // namespace kestrel::bench
