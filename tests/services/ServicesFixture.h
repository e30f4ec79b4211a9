#pragma once
// A scratch folder that is the current directory for one test, a fake
// platform whose program and log folders live inside it, and helpers to read
// back files and the log.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "services/ConsoleSink.h"
#include "services/FileHandle.h"
#include "support/FakePlatform.h"

namespace kestrel::test {

class RecordingConsole : public ConsoleSink {
public:
    bool shown = true;
    std::string text;                // what the box holds
    std::vector<std::string> lines;  // every add, in order
    std::vector<std::string> diagnostics;

    bool visible() const override { return shown; }
    void add(const std::string& line) override {
        lines.push_back(line);
        text += line + "\r\n";
    }
    void cls() override { text.clear(); }
    void diagnostic(const std::string& line) override { diagnostics.push_back(line); }
    std::size_t textLength() const override { return text.size(); }
    void keepLast(std::size_t keep) override {
        if (text.size() > keep) text.erase(0, text.size() - keep);
    }
};

class ServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device seed;
        root_ = std::filesystem::temp_directory_path() /
                ("kestrel-services-" + std::to_string(seed()) + "-" + std::to_string(seed()));
        std::filesystem::create_directories(root_ / "work");
        std::filesystem::create_directories(root_ / "home");
        std::filesystem::create_directories(root_ / "log");
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(root_ / "work");
        platform_ = std::make_unique<FakePlatform>((root_ / "home").string());
        platform_->logDir = (root_ / "log").string();
        files_ = std::make_unique<FileHandle>(*platform_, "kestrel");
    }
    void TearDown() override {
        files_.reset();
        std::filesystem::current_path(previous_);
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }

    std::string work() const { return (root_ / "work").string(); }
    std::string home() const { return (root_ / "home").string(); }
    std::string cwd() const { return std::filesystem::current_path().string(); }

    static void writeFile(const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    }
    static std::string readFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The log's lines after "Logging started" and the empty line it leaves.
    std::vector<std::string> logLines() {
        std::string path = files_->logPath();
        files_->closeLog();
        std::string text = readFile(path);
        std::vector<std::string> lines;
        std::size_t at = 0, end;
        while ((end = text.find("\r\n", at)) != std::string::npos) {
            lines.push_back(text.substr(at, end - at));
            at = end + 2;
        }
        EXPECT_EQ(at, text.size()) << "the log ends with CR LF";
        if (lines.size() >= 2) lines.erase(lines.begin(), lines.begin() + 2);
        return lines;
    }

    std::filesystem::path root_;
    std::filesystem::path previous_;
    std::unique_ptr<FakePlatform> platform_;
    std::unique_ptr<FileHandle> files_;
};

}  // namespace kestrel::test
