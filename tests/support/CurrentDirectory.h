#pragma once
// Makes a folder the current directory for a scope and puts the previous
// one back at its end. Runs need it: scripts name files relative to it, and
// directives that name a file move it to that file's folder.
#include <filesystem>
#include <system_error>

namespace kestrel::test {

class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::filesystem::path& to) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(to);
    }
    ~CurrentDirectory() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
    }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::filesystem::path previous_;
};

}  // namespace kestrel::test
