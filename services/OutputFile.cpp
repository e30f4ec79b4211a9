#include "services/OutputFile.h"

#include <filesystem>
#include <system_error>

#include "platform/Platform.h"
#include "services/ImageWorkingCopy.h"
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

}  // namespace

void OutputFile::write(Platform& platform, const std::string& target, std::string_view content) {
    const std::string real = ImageWorkingCopy::followLinks(platform.nativePath(target));
    std::error_code ec;
    if (fs::is_directory(real, ec)) throw FileError("'" + target + "' is a folder");
    Scratch scratch;
    for (int n = 0; n < kMaxNames && scratch.path.empty(); ++n) {
        std::string candidate = real + ".writing";
        if (n > 0) candidate += std::to_string(n);
        if (platform.writeNewFile(candidate, content)) scratch.path = std::move(candidate);
    }
    if (scratch.path.empty()) throw FileError("no free name beside '" + target + "' to write it");
    platform.replaceFile(scratch.path, real);
    scratch.path.clear();
}

bool OutputFile::mayReplace(Platform& platform, const std::string& target, const std::string& shown) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(platform.nativePath(target), ec))) return true;
    return platform.askYesNo("'" + (shown.empty() ? target : shown) + "' exists. Replace it?", "Replace File");
}

}  // namespace kestrel
