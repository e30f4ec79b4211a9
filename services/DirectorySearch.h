#pragma once
// The directory search behind exist, ShrinkName and the dir and delete shell
// words: a folder part and a last component that may hold "*" and "?".
#include <string>
#include <vector>

namespace kestrel {

class Platform;

struct DirectoryEntry {
    std::string name;  // the entry's name as the file system has it
    std::string path;  // a path that opens it (relative when the pattern was)
    bool directory = false;
};

class DirectorySearch {
public:
    explicit DirectorySearch(Platform& platform) : platform_(platform) {}

    // Entries matching the pattern, sorted by name; "." and ".." lead the list
    // when directories are wanted and they match. A pattern without wildcards
    // finds at most the one entry it names. Throws FormatError when the folder
    // of a wildcard pattern does not exist.
    std::vector<DirectoryEntry> find(const std::string& pattern, bool withDirectories);

    // First regular file matching the pattern; false when there is none (a
    // missing folder included).
    bool findFile(const std::string& pattern, DirectoryEntry& found);

    // Position of the last "\" or "/", npos when there is none.
    static std::size_t lastSeparator(const std::string& path);

private:
    std::string join(const std::string& folder, const std::string& name) const;

    Platform& platform_;
};

}  // namespace kestrel
