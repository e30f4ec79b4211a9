#pragma once
// Makes text safe to print on a terminal: control bytes and bytes that are
// not part of valid UTF-8 are shown as "\xHH" instead of being sent raw, so
// a script or file name cannot move the cursor, recolour or retitle the
// terminal.
#include <string>
#include <string_view>

namespace kestrel {

class TerminalText {
public:
    // Bytes below 0x20 (TAB excepted), 0x7F, the C1 controls U+0080..U+009F
    // and every byte outside a well-formed UTF-8 sequence become "\xHH".
    static std::string escape(std::string_view text);
    // The same for multi-line text: LF stays a line break (a CR before it is
    // dropped), everything else is escaped as above.
    static std::string escapeLines(std::string_view text);

private:
    // Length of the well-formed UTF-8 sequence starting at `at`, 0 if none.
    static std::size_t sequenceLength(std::string_view text, std::size_t at);
};

}  // namespace kestrel
