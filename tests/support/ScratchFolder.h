#pragma once
// A fresh folder under the system's temporary folder for one test, removed
// with everything in it at the end, and small helpers to name, write and
// read the files in it.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

namespace kestrel::test {

class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& prefix) {
        std::random_device seed;
        root_ = std::filesystem::temp_directory_path() / (prefix + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(root_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::string at(const std::string& name) const { return (root_ / name).string(); }
    void spit(const std::string& name, const std::string& bytes) const {
        std::ofstream(root_ / name, std::ios::binary) << bytes;
    }
    std::string slurp(const std::string& name) const {
        std::ifstream in(root_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::filesystem::path root_;
};

}  // namespace kestrel::test
