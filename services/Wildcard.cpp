#include "services/Wildcard.h"

#include "text/TextKit.h"

namespace kestrel {

bool Wildcard::hasWildcards(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

bool Wildcard::matches(std::string_view pattern, std::string_view name) {
    if (matchPlain(pattern, name)) return true;
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" && name.find('.') == std::string_view::npos)
        return matchPlain(pattern.substr(0, pattern.size() - 2), name);
    return false;
}

// Greedy matching with one backtrack point: the last "*" seen. Linear in
// practice and never recursive, so long names cannot blow the stack.
bool Wildcard::matchPlain(std::string_view pattern, std::string_view name) {
    std::size_t p = 0, n = 0;
    std::size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || textkit::foldCase(pattern[p]) == textkit::foldCase(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace kestrel
