#pragma once
// The burn-line workload: one script that burns many small chunks into the
// same image, each chunk a label at its own address followed by `kapop` and
// `kableewy`, so that every burn writes only its own chunk. The whole script
// runs as one code line, which copies the image once.
#include <cstdint>
#include <string>

namespace kestrel::bench {

struct BurnLineOptions {
    int burns = 100;
    int64_t imageSize = 32 << 20;
    uint64_t seed = 5;
};

class BurnLineWorkload {
public:
    explicit BurnLineWorkload(BurnLineOptions options);

    // The script (CR LF lines) that burns into "burns.bin".
    const std::string& script() const { return script_; }
    const std::string& image() const { return image_; }
    const std::string& expected() const { return expected_; }

private:
    std::string script_;
    std::string image_;
    std::string expected_;
};

}  // namespace kestrel::bench
