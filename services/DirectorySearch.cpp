#include "services/DirectorySearch.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/Platform.h"
#include "services/FileName.h"
#include "services/Wildcard.h"
#include "text/KestrelError.h"

namespace kestrel {

namespace fs = std::filesystem;

std::size_t DirectorySearch::lastSeparator(const std::string& path) { return path.find_last_of("\\/"); }

std::string DirectorySearch::join(const std::string& folder, const std::string& name) const {
    return FileName::join(folder, name, platform_.separator());
}

std::vector<DirectoryEntry> DirectorySearch::find(const std::string& pattern, bool withDirectories) {
    std::vector<DirectoryEntry> entries;
    std::size_t sep = lastSeparator(pattern);
    std::string leaf = sep == std::string::npos ? pattern : pattern.substr(sep + 1);
    std::error_code ec;

    if (!leaf.empty() && !Wildcard::hasWildcards(leaf)) {
        std::string resolved = platform_.resolveExisting(pattern);
        if (resolved.empty()) return entries;
        bool isDirectory = fs::is_directory(resolved, ec);
        if (isDirectory && !withDirectories) return entries;
        std::size_t cut = lastSeparator(resolved);
        std::string name = resolved.substr(cut == std::string::npos ? 0 : cut + 1);
        if (name.empty()) name = resolved;
        entries.push_back({name, resolved, isDirectory});
        return entries;
    }
    if (leaf.empty()) leaf.push_back('*');

    // Keep the separator of a root folder ("/", "C:\") so it stays the root.
    std::string folder;
    if (sep != std::string::npos) folder = pattern.substr(0, (sep == 0 || pattern[sep - 1] == ':') ? sep + 1 : sep);
    std::string resolvedFolder = folder.empty() ? std::string(".") : platform_.resolveExisting(folder);
    if (resolvedFolder.empty() || !fs::is_directory(resolvedFolder, ec)) throw FormatError("no such folder: " + folder);
    std::string prefix = folder.empty() ? std::string() : resolvedFolder;

    fs::directory_iterator it(resolvedFolder, ec);
    if (ec) throw FormatError("cannot list folder: " + folder);
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        bool isDirectory = it->is_directory(ec);
        if (isDirectory && !withDirectories) continue;
        if (!isDirectory && !withDirectories && !it->is_regular_file(ec)) continue;
        if (Wildcard::matches(leaf, name)) entries.push_back({name, join(prefix, name), isDirectory});
    }
    if (ec) throw FormatError("cannot list folder: " + folder);
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });

    if (withDirectories) {
        std::vector<DirectoryEntry> dots;
        for (const char* dot : {".", ".."})
            if (Wildcard::matches(leaf, dot)) dots.push_back({dot, join(prefix, dot), true});
        entries.insert(entries.begin(), dots.begin(), dots.end());
    }
    return entries;
}

bool DirectorySearch::findFile(const std::string& pattern, DirectoryEntry& found) {
    if (pattern.empty()) return false;
    try {
        for (auto& entry : find(pattern, false)) {
            std::error_code ec;
            if (fs::is_regular_file(entry.path, ec)) {
                found = std::move(entry);
                return true;
            }
        }
    } catch (const KestrelError&) {
    }
    return false;
}

}  // namespace kestrel
