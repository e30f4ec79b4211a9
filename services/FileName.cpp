#include "services/FileName.h"

#include "services/DirectorySearch.h"

namespace kestrel {

void FileName::assignFullPath(const std::string& value) {
    // Positions are 1-based with 0 for "not found", as the rule is stated.
    name.clear();
    const std::size_t length = value.size();
    const std::size_t dot = value.rfind('.');
    const std::size_t d = dot == std::string::npos ? 0 : dot + 1;
    std::size_t x = length - d;
    const std::size_t sep = DirectorySearch::lastSeparator(value);
    const std::size_t s = sep == std::string::npos ? 0 : sep + 1;
    if (s > length - x) x = 0;  // the dot is not in the last component
    if (x == length) {
        directory = value;
        return;
    }
    extension = value.substr(length - x);
    // A separator in front is the root itself, not an empty folder.
    if (s == 1)
        directory = value.substr(0, 1);
    else if (s > 1)
        directory = value.substr(0, s - 1);
    else
        directory.clear();
    name = value.substr(s, length - s - (x > 0 ? x + 1 : 0));
}

std::string FileName::fullPath(const std::string& folder, char separator) const {
    if (name.empty()) return "";
    return join(folder, name + "." + extension, separator);
}

std::string FileName::join(const std::string& folder, const std::string& leaf, char separator) {
    if (folder.empty()) return leaf;
    const char last = folder.back();
    if (last == '/' || last == '\\') return folder + leaf;
    return folder + separator + leaf;
}

}  // namespace kestrel
