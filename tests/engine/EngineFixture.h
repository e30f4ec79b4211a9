#pragma once
// An engine on a fake platform in a scratch directory, with the console's
// lines captured and helpers to write scripts and read buffers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "buffers/FileBuffer.h"
#include "engine/Control.h"
#include "engine/Shared.h"
#include "services/ConsoleSink.h"
#include "services/FileHandle.h"
#include "support/FakePlatform.h"
#include "support/RecordingConsole.h"

namespace kestrel::test {

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        previous_ = fs::current_path();
        dir_ = fs::temp_directory_path() /
               ("kestrel-engine-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::current_path(dir_);
        platform = std::make_unique<FakePlatform>(dir_.string());
        shared = std::make_unique<Shared>(*platform, &console);
    }
    void TearDown() override {
        shared.reset();
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(dir_);
    }

    // The source tree, for the bundled codesets and examples.
    static std::filesystem::path repository() {
        const char* data = std::getenv("KESTREL_TEST_DATA");
        return data ? std::filesystem::path(data).parent_path() : std::filesystem::path(KESTREL_SOURCE_DIR);
    }
    static std::string readFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The bundled codesets into the scratch folder, entry by entry: copying
    // onto an existing folder fails on some systems.
    void copyCodesets() {
        namespace fs = std::filesystem;
        for (const auto& entry : fs::recursive_directory_iterator(repository() / "codesets")) {
            const fs::path target = dir_ / entry.path().lexically_relative(repository() / "codesets");
            if (entry.is_directory())
                fs::create_directories(target);
            else
                fs::copy_file(entry.path(), target, fs::copy_options::overwrite_existing);
        }
    }

    void write(const std::string& name, const std::string& text) {
        std::filesystem::create_directories((dir_ / name).parent_path());
        std::ofstream(dir_ / name, std::ios::binary) << text;
    }
    void run(const std::string& line) { shared->gEngine->pending(line); }
    FileBuffer& buffers() { return *shared->gBuffers; }
    int errors() { return shared->gEngine->errorCount(); }
    bool logged(const std::string& text) const {
        for (const auto& line : console.lines)
            if (line.find(text) != std::string::npos) return true;
        return false;
    }

    std::filesystem::path dir_;
    std::filesystem::path previous_;
    RecordingConsole console;
    std::unique_ptr<FakePlatform> platform;
    std::unique_ptr<Shared> shared;
};

}  // namespace kestrel::test
