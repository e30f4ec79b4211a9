#include "services/ShellWords.h"

#include <exception>
#include <filesystem>

#include "platform/Platform.h"
#include "services/DirectorySearch.h"
#include "services/FileFinder.h"
#include "text/KestrelError.h"
#include "text/TextKit.h"

namespace kestrel {

namespace fs = std::filesystem;

namespace {

const std::string kCrLf = "\r\n";
const std::string kInvalidPath = "Invalid path or filename";

}  // namespace

std::string ShellWords::Dos(const std::string& word, std::string& argument) {
    try {
        return run(textkit::lower(word), argument);
    } catch (const std::exception&) {
        return kInvalidPath;
    }
}

std::string ShellWords::run(const std::string& word, std::string& argument) {
    DirectorySearch search(platform_);
    if (word == "dir") {
        std::string cwd = finder_.currentDirectory();
        if (argument.empty()) argument = finder_.joinPath(cwd, "*.*");
        std::string listing = ">>" + cwd + kCrLf;
        for (const auto& entry : search.find(finder_.absolute(argument), true))
            listing += entry.name + '\t' + finder_.shortenname(entry.path) + '\0';
        return listing;
    }
    if (word == "cd" || word == "chdir") {
        std::string target = argument;
        // Drive letters mean nothing where the root is "/".
        if (platform_.separator() == '/' && target.size() >= 2 && target[1] == ':') target.erase(0, 2);
        if (argument.empty()) throw FormatError("no folder given");
        if (!target.empty()) {
            std::string resolved = platform_.resolveExisting(target);
            if (resolved.empty()) throw FormatError("no such folder: " + target);
            fs::current_path(resolved);
        }
        return finder_.currentDirectory();
    }
    if (word == "delete") {
        if (argument.empty()) return "";
        std::string report;
        for (const auto& entry : search.find(finder_.absolute(argument), false)) {
            fs::remove(entry.path);
            report += "Deleted " + entry.name + kCrLf;
        }
        return report;
    }
    if (word == "rmdir") {
        std::string resolved = platform_.resolveExisting(finder_.absolute(argument));
        if (resolved.empty() || !fs::is_directory(resolved)) throw FormatError("no such folder: " + argument);
        if (fs::is_empty(resolved)) fs::remove(resolved);
        return "";
    }
    if (word == "mkdir") {
        std::string path = finder_.absolute(argument);
        if (argument.empty() || !platform_.resolveExisting(path).empty()) return "";
        fs::create_directory(platform_.nativePath(path));
        return "";
    }
    if (word == "shell") {
        std::string resolved = platform_.resolveExisting(argument);
        return platform_.shellOpen(resolved.empty() ? argument : resolved);
    }
    return "";
}

}  // namespace kestrel
