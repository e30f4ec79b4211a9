#include "bench/BurnLineWorkload.h"

#include <cstdio>
#include <stdexcept>

#include "bench/BenchRandom.h"

namespace kestrel::bench {

BurnLineWorkload::BurnLineWorkload(BurnLineOptions options) {
    const int64_t spacing = options.imageSize / options.burns;
    if (options.burns < 1 || spacing < 8) throw std::invalid_argument("too many burns for the image");
    BenchRandom random(options.seed);
    image_.resize(static_cast<std::size_t>(options.imageSize));
    for (char& c : image_) c = static_cast<char>(random.below(256));
    expected_ = image_;
    for (int i = 0; i < options.burns; ++i) {
        const int64_t address = i * spacing + static_cast<int64_t>(random.below(static_cast<uint32_t>(spacing - 4)));
        const auto value = static_cast<uint32_t>(random.next() | 0x10000000u);
        char line[96];
        // Eight hexadecimal digits make one little-endian dword of raw data.
        std::snprintf(line, sizeof line, "#org 0x%llX\r\n#%08X\r\n#kapop burns.bin\r\n#kableewy\r\n",
                      static_cast<unsigned long long>(address), value);
        script_ += line;
        for (int b = 0; b < 4; ++b)
            expected_[static_cast<std::size_t>(address + b)] = static_cast<char>((value >> (8 * b)) & 0xFF);
    }
}

}  // namespace kestrel::bench
