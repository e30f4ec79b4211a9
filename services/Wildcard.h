#pragma once
// File name patterns with "*" (any run of characters) and "?" (one
// character), compared without regard to ASCII case.
#include <string_view>

namespace kestrel {

class Wildcard {
public:
    static bool hasWildcards(std::string_view text);
    // A pattern ending in ".*" also matches names without any dot, so "*.*"
    // lists every entry, as users of drive-letter systems expect.
    static bool matches(std::string_view pattern, std::string_view name);

private:
    static bool matchPlain(std::string_view pattern, std::string_view name);
};

}  // namespace kestrel
