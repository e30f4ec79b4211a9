#pragma once
// Reads a table file ("CODE=TEXT" lines, see CharacterTable) into a
// character table, and says which lines a codeset header cannot express.
// Blank lines and comment lines (";", "#" or "//" first) are skipped; lines
// may end in LF or CR LF, and a UTF-8 byte order mark is ignored. A line
// that cannot be read or expressed is reported and left out, never dropped
// silently.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "engine/CharacterTable.h"

namespace kestrel {

class TableFileReader {
public:
    struct Problem {
        int line = 0;
        std::string message;
    };

    explicit TableFileReader(std::string_view content);

    const CharacterTable& table() const { return table_; }
    // In line order; empty when every line went into the table.
    const std::vector<Problem>& problems() const { return problems_; }

private:
    void readLine(std::string_view line, int number);
    void readMarker(std::string_view line, int number);
    void readEntry(std::string_view line, int number, CharacterTable::Kind kind, bool endCode);
    // The code before "=" as one byte; false (and a problem reported) when
    // it is none.
    bool readCode(std::string_view digits, int number, uint8_t& code);
    void problem(int number, std::string message);

    CharacterTable table_;
    std::vector<Problem> problems_;
    // The lines that set each marker (0: not set), for the report of a second one.
    std::array<int, CharacterTable::markerCount> markerLines_{};
};

}  // namespace kestrel
