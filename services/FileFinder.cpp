#include "services/FileFinder.h"

#include <filesystem>
#include <system_error>

#include "platform/Platform.h"
#include "services/DirectorySearch.h"
#include "services/FileName.h"
#include "text/TextKit.h"

namespace kestrel {

namespace fs = std::filesystem;

std::string FileFinder::currentDirectory() const {
    std::error_code ec;
    fs::path cwd = fs::current_path(ec);
    return ec ? std::string() : cwd.string();
}

std::string FileFinder::joinPath(const std::string& folder, const std::string& name) const {
    return FileName::join(folder, name, platform_.separator());
}

std::string FileFinder::absolute(const std::string& argument) const {
    return platform_.isAbsolute(argument) ? argument : joinPath(currentDirectory(), argument);
}

bool FileFinder::exist(std::string& name, bool ask, bool confirm) {
    if (name.empty()) return false;
    DirectorySearch search(platform_);
    DirectoryEntry found;
    bool here = search.findFile(name, found);
    if (here && !confirm) {
        name = found.path;
        return true;
    }
    if (!here) {
        if (platform_.isAbsolute(name)) return false;
        // Codesets and other files of the program are found beside it. A name
        // found nowhere stays as given, so a new file lands in the current folder.
        if (!search.findFile(joinPath(platform_.programDirectory(), name), found)) return false;
        name = found.path;
    }
    if (ask && confirm && platform_.askYesNo("File Exists. Delete?", "Delete File")) {
        std::error_code ec;
        fs::remove(found.path, ec);
        return static_cast<bool>(ec);
    }
    return true;
}

std::string FileFinder::getfile(FileDialogKind kind, bool shortResult) {
    FileDialogRequest request;
    switch (kind) {
    case FileDialogKind::open:
        request.title = "Open file ....";
        request.mustExist = true;
        break;
    case FileDialogKind::save:
        request.title = "Save file ....";
        request.save = true;
        break;
    case FileDialogKind::openMany:
        request.title = "Open many files ....";
        request.mustExist = true;
        request.multiSelect = true;
        break;
    }
    return getfile(request, shortResult);
}

std::string FileFinder::getfile(const FileDialogRequest& request, bool shortResult) {
    std::string chosen = platform_.fileDialog(request);
    // A NUL-separated answer (directory, then names) becomes "dir;a;b".
    std::size_t end = chosen.find(std::string("\0\0", 2));
    if (end != std::string::npos) chosen.resize(end);
    for (char& c : chosen)
        if (c == '\0') c = ';';
    if (!chosen.empty() && chosen.back() == ';') chosen.pop_back();
    if (chosen.empty()) return "";
    return shortResult ? shortenname(chosen) : chosen;
}

std::string FileFinder::shortenname(const std::string& path) {
    if (path.empty()) return "";
    return textkit::lower(platform_.shortName(path));
}

void FileFinder::ShrinkName(std::string& text) {
    DirectorySearch search(platform_);
    std::size_t from = 0;
    for (;;) {
        std::size_t open = text.find('"', from);
        if (open == std::string::npos) return;
        std::size_t close = text.find('"', open + 1);
        if (close == std::string::npos) return;
        std::string shortForm;
        DirectoryEntry found;
        if (search.findFile(text.substr(open + 1, close - open - 1), found)) shortForm = shortenname(found.path);
        if (shortForm.empty()) {
            // No file by that name: the quoted part stays as written.
            from = close + 1;
        } else {
            text.replace(open, close - open + 1, shortForm);
            from = open + shortForm.size();
        }
    }
}

}  // namespace kestrel
