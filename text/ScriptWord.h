#pragma once
// Which names can stand in a script line as one word and read back as
// themselves. Label and pointer names come back into scripts when a buffer
// set is decompiled ("#ORG name b", pointer targets in command lines); a name
// holding a line break, a ";" or a comment marker would let the text after it
// compile as a statement of its own.
#include <string>
#include <string_view>

namespace kestrel {

class ScriptWord {
public:
    // Why `name` cannot be written as one word of a script line (a phrase
    // such as "holds a line break"), or "" when it can. Bytes a line cannot
    // hold, blanks, statement separators, comment and quotation marks are
    // refused, and so is what the tokenizer would rewrite: "#" and "0x"
    // (hexadecimal prefixes) and a leading "=" (a text). An empty name is
    // refused as well: it would leave no word at all.
    static std::string fault(std::string_view name);
    // Only what makes a name dangerous in a line: bytes a line cannot hold,
    // blanks, ";", "'" and quotation marks. Buffer files are refused for these.
    static std::string unsafe(std::string_view name);
};

}  // namespace kestrel
