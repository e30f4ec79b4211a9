#pragma once
// A line diff in unified style, for showing how a case's output differs from
// its expectation.
#include <string>
#include <vector>

namespace kestrel::golden {

class TextDiff {
public:
    // Splits text into lines: "\n" ends a line, a "\r" before it is dropped,
    // and a final newline does not open an extra empty line.
    static std::vector<std::string> lines(const std::string& text);

    // True when both texts have the same lines (line-end style aside).
    static bool same(const std::string& expected, const std::string& actual);

    // "--- expected" / "+++ actual" headers and hunks with `context` lines
    // around every change; "" when the texts have the same lines.
    static std::string unified(const std::string& expected, const std::string& actual, const std::string& expectedName,
                               const std::string& actualName, int context = 3);
};

}  // namespace kestrel::golden
