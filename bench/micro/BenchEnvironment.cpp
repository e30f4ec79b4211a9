#include "bench/micro/BenchEnvironment.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#include "bench/BenchRandom.h"
#include "engine/Control.h"
#include "platform/posix/PosixPlatform.h"

namespace kestrel::bench {

namespace fs = std::filesystem;

// Codesets and the log live in the temporary home; nothing ever waits.
class BenchEnvironment::BenchPlatform : public PosixPlatform {
public:
    explicit BenchPlatform(std::string home) : home_(std::move(home)) { setBatch(true); }
    std::string programDirectory() override { return home_; }
    std::string logDirectory() override { return home_ + "/log"; }

private:
    std::string home_;
};

BenchEnvironment& BenchEnvironment::instance() {
    static BenchEnvironment environment;
    return environment;
}

BenchEnvironment::BenchEnvironment() {
    std::random_device seed;
    const fs::path home = fs::temp_directory_path() / ("kestrel-microbench-" + std::to_string(seed()));
    fs::create_directories(home / "log");
    fs::create_directories(home / "base");
    fs::create_directories(home / BenchCodeset::kName);
    fs::copy_file(fs::path(KESTREL_SOURCE_DIR) / "codesets" / "base" / "includes.ksh", home / "base" / "includes.ksh");
    std::ofstream(home / BenchCodeset::kName / "includes.ksh", std::ios::binary) << codeset_.includesText();
    home_ = home.string();
    platform_ = std::make_unique<BenchPlatform>(home_);
}

BenchEnvironment::~BenchEnvironment() {
    std::error_code ignored;
    fs::remove_all(home_, ignored);
}

std::unique_ptr<Shared> BenchEnvironment::boot() {
    auto shared = std::make_unique<Shared>(*platform_, nullptr, "microbench");
    shared->gEngine->pending(std::string("#boot ") + BenchCodeset::kName);
    if (shared->gEngine->errorCount() != 0) throw std::runtime_error("the benchmark codeset did not boot");
    return shared;
}

std::vector<std::string> BenchEnvironment::sampleLines(std::size_t count, bool pointers) const {
    BenchRandom random(11);
    std::vector<std::string> lines;
    const auto commands = static_cast<uint32_t>(codeset_.commands().size());
    char text[24];
    while (lines.size() < count) {
        const BenchCommand& command = codeset_.command(1 + static_cast<int>(random.below(commands - 1)));
        if (!pointers && command.hasPointer()) continue;
        std::string line = command.keyword;
        for (Field field : command.fields) {
            switch (field) {
            case Field::Byte: std::snprintf(text, sizeof text, " %u", random.below(256)); break;
            case Field::Word: std::snprintf(text, sizeof text, " 0x%X", random.below(65536)); break;
            case Field::Dword: std::snprintf(text, sizeof text, " %u", random.below(1u << 30)); break;
            case Field::Pointer:
                if (random.percent(50))
                    std::snprintf(text, sizeof text, " lbl%u", random.below(10000));
                else
                    std::snprintf(text, sizeof text, " 0x%08X", 0x100 + random.below(1u << 24));
                break;
            }
            line += text;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace kestrel::bench
