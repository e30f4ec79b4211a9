#pragma once
// A codeset's character table as plain data: the text markers and, in the
// order they were defined, the entries of the text table (characters) and
// of the code-name table. Both tables keep the first entry for a key, so the
// order is part of the table. Written in two forms: the "CODE=TEXT" table
// file that other tools exchange, and the header lines that load it.
//
// Table file form, line by line:
//   XX=text      a text-table entry: byte XX decodes to `text`
//   $XX=name     a code name: byte XX is the code of `name`
//   /XX=c        the text-table entry of the character that ends every text
//                (the finish marker)
//   @name=text   a text marker (hash, start, end, hex, var; finish when it
//                has no text-table entry)
// Codes are two upper-case hexadecimal digits: every entry is one byte.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class CharacterTable {
public:
    enum class Kind : uint8_t { text, name };
    struct Entry {
        Kind kind = Kind::text;
        std::string text;
        uint8_t code = 0;
        bool operator==(const Entry&) const = default;
    };
    // The marker slots in the order of the codec's control table.
    enum Marker : std::size_t { hash, start, end, hex, var, finish, markerCount };

    // "hash", "start", ... for a slot.
    static const char* markerName(std::size_t slot);
    // The slot a name gives; markerCount for an unknown name.
    static std::size_t markerSlot(std::string_view name);

    // Why `text` cannot be written in a header line as what `role` needs
    // ("" when it can): header words are split at blanks, ";" and comment
    // marks, lower-cased when longer than one character and read for
    // hexadecimal prefixes.
    enum class Role : uint8_t { text, name, marker };
    static std::string headerProblem(Role role, std::string_view text);

    // The entry the table file writes as the end code: the first text entry
    // of the finish marker's character; entries.size() when there is none.
    std::size_t endEntry() const;

    // The table file, lines ending in CR LF.
    std::string tableFile() const;
    // Header lines that load this table: markers first, then every entry in
    // order. Assumes every text passed headerProblem.
    std::string header() const;

    std::vector<Entry> entries;
    std::array<std::string, markerCount> markers;
};

}  // namespace kestrel
