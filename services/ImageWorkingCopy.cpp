#include "services/ImageWorkingCopy.h"

#include <filesystem>
#include <system_error>

#include "platform/Platform.h"
#include "text/KestrelError.h"

namespace kestrel {

namespace fs = std::filesystem;

namespace {

// Links of links of ... : more than this is a loop.
constexpr int kMaxLinks = 40;
// "<file>.burning", then "<file>.burning1" ... while the names are taken.
constexpr int kMaxCopyNames = 100;

}  // namespace

std::string ImageWorkingCopy::followLinks(const std::string& name) {
    fs::path at = name;
    std::error_code ec;
    for (int hops = 0; fs::is_symlink(fs::symlink_status(at, ec)); ++hops) {
        if (hops == kMaxLinks) throw BurnError("'" + name + "': too many levels of symbolic links");
        fs::path target = fs::read_symlink(at, ec);
        if (ec) throw BurnError("'" + name + "': cannot read the link: " + ec.message());
        at = target.is_absolute() ? target : at.parent_path() / target;
    }
    return at.string();
}

std::string ImageWorkingCopy::identity(const std::string& name) {
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(fs::absolute(name, ec), ec);
    return ec ? name : canonical.string();
}

ImageWorkingCopy::ImageWorkingCopy(Platform& platform, const std::string& image)
    : platform_(platform), image_(image), realFile_(followLinks(image)) {
    std::error_code ec;
    const fs::file_status status = fs::status(realFile_, ec);
    if (ec || !fs::exists(status)) throw BurnError("cannot open image '" + image + "'");
    if (fs::is_directory(status)) throw BurnError("'" + image + "' is a folder, not an image");
    if (!fs::is_regular_file(status)) throw BurnError("'" + image + "' is not a regular file");
    // No write permission for anybody means "keep this file": even a user
    // who could replace it (root, the owner of the folder) does not.
    constexpr auto writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & writable) == fs::perms::none)
        throw BurnError("'" + image + "' is read-only; not burned");

    lock_ = platform_.lockFile(realFile_);
    if (!lock_) throw BurnError("'" + image + "' is being burned by another program; not burned");

    for (int n = 0; n < kMaxCopyNames; ++n) {
        std::string candidate = realFile_ + ".burning";
        if (n > 0) candidate += std::to_string(n);
        if (platform_.copyToNewFile(realFile_, candidate)) {
            path_ = std::move(candidate);
            return;
        }
    }
    throw BurnError("no free name for a working copy of '" + image + "' (" + realFile_ + ".burning ... taken)");
}

ImageWorkingCopy::~ImageWorkingCopy() { discard(); }

void ImageWorkingCopy::commit() {
    if (path_.empty()) return;
    try {
        platform_.replaceFile(path_, realFile_);
    } catch (...) {
        discard();
        throw;
    }
    path_.clear();
    lock_.reset();
}

void ImageWorkingCopy::discard() {
    if (!path_.empty()) {
        std::error_code ignored;
        fs::remove(path_, ignored);
        path_.clear();
    }
    lock_.reset();
}

}  // namespace kestrel
