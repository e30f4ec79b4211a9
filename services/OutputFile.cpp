#include "services/OutputFile.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/Platform.h"
#include "text/KestrelError.h"

namespace kestrel {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxNames = 100;

// Removes the scratch file unless it was put in place.
struct Scratch {
    std::string path;
    ~Scratch() {
        if (path.empty()) return;
        std::error_code ignored;
        fs::remove(path, ignored);
    }
};

} // namespace

void OutputFile::write(Platform& platform, const std::string& target, const std::string& content) {
    const std::string native = platform.nativePath(target);
    std::error_code ec;
    if (fs::is_directory(native, ec)) throw FileError("'" + target + "' is a folder");
    Scratch scratch;
    for (int n = 0; n < kMaxNames && scratch.path.empty(); ++n) {
        std::string candidate = native + ".writing";
        if (n > 0) candidate += std::to_string(n);
        if (!fs::exists(fs::symlink_status(candidate, ec))) scratch.path = candidate;
    }
    if (scratch.path.empty()) throw FileError("no free name beside '" + target + "' to write it");
    {
        std::ofstream out(scratch.path, std::ios::binary | std::ios::trunc);
        if (!out) throw FileError("cannot create '" + target + "'");
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
        if (!out) throw FileError("cannot write '" + target + "'");
    }
    platform.replaceFile(scratch.path, native);
    scratch.path.clear();
}

} // namespace kestrel
