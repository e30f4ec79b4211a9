#include "engine/CharacterTable.h"

#include "text/TextKit.h"

namespace kestrel {

namespace {

constexpr std::array<const char*, CharacterTable::markerCount> kMarkerNames = {"hash", "start", "end",
                                                                               "hex",  "var",   "finish"};

bool isUpperLetter(char c) { return c >= 'A' && c <= 'Z'; }

// Characters the line tokenizer treats as syntax wherever they stand: the
// statement separator, the comment mark, quotes and the "#" of hexadecimal
// words.
bool isSyntax(char c) { return c == ';' || c == '\'' || c == '"' || c == '#'; }

// A character a header line can hold as a word of its own.
bool isPlainCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte > 0x20 && byte < 0x7F && !isSyntax(c) && c != '=';
}

void appendCode(std::string& out, uint8_t code) {
    out += "0x";
    textkit::appendHexPair(out, code);
}

// A word for a character of the text or code-name table: the character
// itself when the tokenizer keeps it, else its code ("#20" for a space).
std::string characterWord(char c, bool keepsCase) {
    if (isPlainCharacter(c) && (keepsCase || !isUpperLetter(c))) return std::string(1, c);
    std::string word = "#";
    textkit::appendHexPair(word, static_cast<uint8_t>(c));
    return word;
}

}  // namespace

const char* CharacterTable::markerName(std::size_t slot) { return slot < markerCount ? kMarkerNames[slot] : ""; }

std::size_t CharacterTable::markerSlot(std::string_view name) {
    for (std::size_t slot = 0; slot < markerCount; ++slot)
        if (textkit::equalsIgnoreCase(name, kMarkerNames[slot])) return slot;
    return markerCount;
}

std::string CharacterTable::headerProblem(Role role, std::string_view text) {
    if (text.empty()) return "an empty text";
    if (text.size() == 1) {
        // Characters of the tables can be written by their code; markers are
        // kept as written.
        if (role != Role::marker) return {};
        if (!isPlainCharacter(text[0])) return "a marker cannot be a blank, a control byte or one of ; ' \" # =";
        if (isUpperLetter(text[0])) return "markers are lower case";
        return {};
    }
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F) return "a text of several characters cannot hold blanks or control bytes";
        if (isSyntax(c)) return "a text of several characters cannot hold ; ' \" or #";
        if (isUpperLetter(c)) return "words of several characters are lower case in a header";
    }
    if (text.find("0x") != std::string_view::npos) return "a text of several characters cannot hold \"0x\"";
    if (text.substr(0, 2) == "&h") return "a text of several characters cannot begin with \"&h\"";
    if (text[0] == '=') return "a text of several characters cannot begin with \"=\"";
    return {};
}

std::size_t CharacterTable::endEntry() const {
    const std::string& finishText = markers[finish];
    if (finishText.size() == 1) {
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (entries[i].kind == Kind::text && entries[i].text == finishText) return i;
    }
    return entries.size();
}

std::string CharacterTable::tableFile() const {
    std::string out;
    const std::size_t endAt = endEntry();
    for (std::size_t slot = 0; slot < markerCount; ++slot) {
        if (markers[slot].empty() || (slot == finish && endAt < entries.size())) continue;
        out += "@";
        out += kMarkerNames[slot];
        out += "=" + markers[slot] + "\r\n";
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& entry = entries[i];
        if (i == endAt)
            out += '/';
        else if (entry.kind == Kind::name)
            out += '$';
        textkit::appendHexPair(out, entry.code);
        out += "=" + entry.text + "\r\n";
    }
    return out;
}

std::string CharacterTable::header() const {
    std::string out;
    for (std::size_t slot = 0; slot < markerCount; ++slot) {
        if (markers[slot].empty()) continue;
        out += "#addctrl " + markers[slot] + " " + kMarkerNames[slot] + "\r\n";
    }
    for (const Entry& entry : entries) {
        const bool text = entry.kind == Kind::text;
        out += text ? "#addtext " : "#addhash ";
        // Code names are lower-cased when they are stored; a single upper-case
        // letter survives only as its code.
        out += entry.text.size() == 1 ? characterWord(entry.text[0], text) : entry.text;
        out += ' ';
        appendCode(out, entry.code);
        out += "\r\n";
    }
    return out;
}

}  // namespace kestrel
