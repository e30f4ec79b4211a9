#include "engine/TableFileReader.h"

#include "text/TextKit.h"

namespace kestrel {

namespace {

using Kind = CharacterTable::Kind;
using Role = CharacterTable::Role;

bool isBlank(std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; }

bool isComment(std::string_view line) { return line[0] == ';' || line[0] == '#' || line.substr(0, 2) == "//"; }

std::string quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

}  // namespace

TableFileReader::TableFileReader(std::string_view content) {
    if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
    int number = 0;
    while (!content.empty()) {
        const std::size_t newline = content.find('\n');
        std::string_view line = content.substr(0, newline);
        content.remove_prefix(newline == std::string_view::npos ? content.size() : newline + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        readLine(line, ++number);
    }
}

void TableFileReader::problem(int number, std::string message) { problems_.push_back({number, std::move(message)}); }

void TableFileReader::readLine(std::string_view line, int number) {
    if (isBlank(line) || isComment(line)) return;
    switch (line[0]) {
    case '@': readMarker(line.substr(1), number); break;
    case '/': readEntry(line.substr(1), number, Kind::text, true); break;
    case '$': readEntry(line.substr(1), number, Kind::name, false); break;
    case '*':
        problem(number, "line-break codes have no place in a character table; name the code instead ($" +
                            std::string(line.substr(1, line.find('=') - 1)) + "=name)");
        break;
    case '!': problem(number, "table switches are not supported: a codeset has one character table"); break;
    default: readEntry(line, number, Kind::text, false); break;
    }
}

bool TableFileReader::readCode(std::string_view digits, int number, uint8_t& code) {
    uint64_t value = 0;
    if (digits.empty()) {
        problem(number, "no code before '='");
        return false;
    }
    if (!textkit::hexValue(digits, value)) {
        problem(number, quoted(digits) + " is not a hexadecimal code");
        return false;
    }
    if (digits.size() % 2 != 0) {
        problem(number, "code " + quoted(digits) + " has an odd number of digits (two per byte)");
        return false;
    }
    if (digits.size() > 2) {
        problem(number, "code " + textkit::upper(digits) + " is " + std::to_string(digits.size() / 2) +
                            " bytes long; a character table maps single bytes");
        return false;
    }
    code = static_cast<uint8_t>(value);
    return true;
}

void TableFileReader::readMarker(std::string_view line, int number) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        problem(number, "expected @MARKER=TEXT");
        return;
    }
    const std::string_view name = line.substr(0, equals);
    const std::string_view text = line.substr(equals + 1);
    const std::size_t slot = CharacterTable::markerSlot(name);
    if (slot == CharacterTable::markerCount) {
        problem(number, "unknown marker " + quoted(name) + " (hash, start, end, hex, var or finish)");
        return;
    }
    if (markerLines_[slot] != 0) {
        const std::string what =
            slot == CharacterTable::finish ? "the end code or finish marker" : "marker " + quoted(name);
        problem(number, what + " is already set on line " + std::to_string(markerLines_[slot]));
        return;
    }
    if (const std::string why = CharacterTable::headerProblem(Role::marker, text); !why.empty()) {
        problem(number, "marker " + quoted(text) + ": " + why);
        return;
    }
    markerLines_[slot] = number;
    table_.markers[slot] = std::string(text);
}

void TableFileReader::readEntry(std::string_view line, int number, Kind kind, bool endCode) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        problem(number, endCode ? "an end code needs its character: /XX=c, c being the character that ends every text"
                                : "expected CODE=TEXT");
        return;
    }
    uint8_t code = 0;
    if (!readCode(line.substr(0, equals), number, code)) return;
    const std::string_view text = line.substr(equals + 1);
    if (text.empty()) {
        problem(number, "code " + textkit::upperHex(code, 2) + " has no text");
        return;
    }
    if (text.find('\r') != std::string_view::npos) {
        problem(number, "a text cannot hold a carriage return");
        return;
    }
    if (const std::string why = CharacterTable::headerProblem(kind == Kind::name ? Role::name : Role::text, text);
        !why.empty()) {
        problem(number, quoted(text) + ": " + why);
        return;
    }
    if (endCode) {
        const std::size_t slot = CharacterTable::finish;
        if (text.size() != 1) {
            problem(number, "an end code's text must be one character (the character that ends every text)");
            return;
        }
        if (markerLines_[slot] != 0) {
            problem(number,
                    "the end code or finish marker is already set on line " + std::to_string(markerLines_[slot]));
            return;
        }
        // Texts end with the code of the finish character's first entry.
        for (const CharacterTable::Entry& entry : table_.entries) {
            if (entry.kind == Kind::text && entry.text == text) {
                problem(number, quoted(text) + " already stands for code " + textkit::upperHex(entry.code, 2) +
                                    "; the end code must be its first entry");
                return;
            }
        }
        markerLines_[slot] = number;
        table_.markers[slot] = std::string(text);
    }
    table_.entries.push_back({kind, std::string(text), code});
}

}  // namespace kestrel
