#include "services/WholeFileWriter.h"

#include <filesystem>
#include <system_error>

#include "platform/Platform.h"
#include "services/ImageWorkingCopy.h"
#include "text/KestrelError.h"

namespace kestrel {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxTemporaryNames = 100;

} // namespace

bool WholeFileWriter::write(Platform& platform, const std::string& target, std::string_view bytes) {
    const std::string native = platform.nativePath(target);
    const std::string real = ImageWorkingCopy::followLinks(native);
    std::error_code ec;
    const fs::file_status status = fs::status(real, ec);
    if (fs::is_directory(status)) throw FileError("'" + target + "' is a folder; nothing written");
    if (fs::exists(status) &&
        !platform.askYesNo("'" + target + "' exists. Replace it?", "Replace file"))
        return false;

    std::string temporary;
    for (int n = 0; n < kMaxTemporaryNames && temporary.empty(); ++n) {
        std::string candidate = real + ".writing";
        if (n > 0) candidate += std::to_string(n);
        if (platform.writeNewFile(candidate, bytes)) temporary = std::move(candidate);
    }
    if (temporary.empty())
        throw FileError("no free name for writing '" + target + "' (" + real + ".writing ... taken)");
    try {
        platform.replaceFile(temporary, real);
    } catch (...) {
        fs::remove(temporary, ec);
        throw;
    }
    return true;
}

} // namespace kestrel
