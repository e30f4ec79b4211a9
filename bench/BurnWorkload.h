#pragma once
// The burn workload: a buffer file of labels spread over the sixteen
// buffers, each label's data holding one open pointer slot ("!PTR") that
// points to another label; an image of random bytes; and the image as it
// must look after the burn, to compare with.
//
// Labels have numeric names (their address), so the burn places them and
// resolves every pointer without asking.
#include <cstdint>
#include <string>

#include "bench/BufferFileWriter.h"

namespace kestrel::bench {

struct BurnOptions {
    int labels = 10000;
    int64_t imageSize = 32 << 20;
    uint64_t seed = 3;
};

class BurnWorkload {
public:
    explicit BurnWorkload(BurnOptions options);

    const BufferFileWriter& bufferFile() const { return file_; }
    const std::string& image() const { return image_; }
    const std::string& expected() const { return expected_; }

private:
    BufferFileWriter file_;
    std::string image_;
    std::string expected_;
};

}  // namespace kestrel::bench
