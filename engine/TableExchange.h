#pragma once
// Moves a character table between a codeset and a table file ("CODE=TEXT"
// lines, see CharacterTable): exporting loads the codeset's headers as
// `boot` does and writes the table they build; importing reads a table file
// and writes the header lines that load it. Lines that the other form cannot
// express are reported as errors with their file and line, and then nothing
// is written; an output file is written whole or not at all.
#include <string>

namespace kestrel {

class Shared;

class TableExchange {
public:
    explicit TableExchange(Shared& shared) : shared_(shared) {}

    // False when nothing was written (the reasons are reported).
    bool exportTable(const std::string& codeset, const std::string& out);
    bool importTable(const std::string& in, const std::string& out);

    // A codeset is a folder named by one plain word of a code line: no
    // blank, statement separator, quote, comment or hexadecimal mark.
    static bool isCodesetName(const std::string& name);

private:
    // Asks before an existing file is replaced, then writes it whole.
    // `out` names the file in reports, `path` is where it is written.
    bool writeOutput(const std::string& out, const std::string& path, const std::string& content);

    Shared& shared_;
};

}  // namespace kestrel
