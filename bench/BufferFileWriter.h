#pragma once
// Writes buffer files for the benchmarks without the program: the header,
// the comment, the pointer records, sixteen label groups and the data
// records, every field little-endian, strings as 08 00, a 16-bit length and
// the bytes.
#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::bench {

struct BufferRecord {
    uint8_t buffer = 0;
    int32_t offset = 0;
    int16_t mode = 3;
    std::string name;  // lower case, as the program writes names
};

class BufferFileWriter {
public:
    static constexpr int32_t kLimit = 32767;
    // A pointer's Offset is its buffer * kBufferStride + its position.
    static constexpr int32_t kBufferStride = 100000;

    std::string comment = "NO COMMENT";
    std::vector<BufferRecord> pointers;
    std::vector<BufferRecord> labels[16];
    std::string data[16];

    // The file as bytes; std::length_error when a count or string exceeds
    // what the format can hold.
    std::string bytes() const;

    // A set at the format's limits: a comment of 32767 bytes, 32767
    // pointers, and in each of the sixteen buffers 32767 bytes under 32767
    // labels of one byte each.
    static BufferFileWriter atLimits(uint64_t seed);
};

}  // namespace kestrel::bench
