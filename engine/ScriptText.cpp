#include "engine/ScriptText.h"

#include <vector>

#include "codec/Wren.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"

namespace kestrel {

namespace {

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

// The codec records failures in bError and sLog; the decompiler judges its
// results by encoding them back, so the records are cleared after each call.
std::string quietEncode(wren::IHandleLetters& letters, const std::string& text) {
    std::string bytes = letters.encode(text);
    letters.setBError(0);
    letters.setSLog("");
    return bytes;
}

std::string quietDecode(wren::IHandleLetters& letters, const std::string& bytes) {
    std::string text = letters.Decode(bytes);
    letters.setBError(0);
    letters.setSLog("");
    return text;
}

// Whether the piece can follow `before` in an "=" line unchanged: no byte
// that ends or splits a line, no "=" right after the line's own (the line
// would count as two), no blank that scrubbing would merge with the one
// before it.
bool fitsAfter(const std::string& before, const std::string& piece) {
    char previous = before.empty() ? '\0' : before.back();
    if (before.empty() && !piece.empty() && piece.front() == '=') return false;
    for (const char c : piece) {
        if (isControl(c) || c == ';') return false;
        if (c == ' ' && previous == ' ') return false;
        previous = c;
    }
    return true;
}

// Whole text: as above, and no blank at the end, which scrubbing drops.
bool standsInLine(const std::string& text) {
    return fitsAfter(std::string(), text) && (text.empty() || text.back() != ' ');
}

}  // namespace

std::string ScriptText::finishCode(wren::IHandleLetters& letters) { return quietEncode(letters, ""); }

std::string ScriptText::commentLines(const std::string& comment) {
    std::string out = "//";
    for (std::size_t i = 0; i < comment.size(); ++i) {
        const char c = comment[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < comment.size() && comment[i + 1] == '\n') ++i;
            // A break at the very end leaves a blank line, which compiles to nothing.
            out += "\r\n";
            if (i + 1 < comment.size()) out += "//";
        } else if (isControl(c) && c != '\t') {
            out += "\\x";
            const std::string digits = numeric::hexText(static_cast<unsigned char>(c));
            if (digits.size() < 2) out += '0';
            out += digits;
        } else {
            out += c;
        }
    }
    return out;
}

std::string ScriptText::text(wren::IHandleLetters& letters, const std::string& bytes) {
    const std::string finish = finishCode(letters);
    std::string body = bytes;
    if (!finish.empty() && body.size() >= finish.size() &&
        body.compare(body.size() - finish.size(), finish.size(), finish) == 0)
        body.resize(body.size() - finish.size());
    const std::string wanted = body + finish;

    // The common case: the decoded text stands in a line and encodes back.
    const std::string whole = quietDecode(letters, body);
    if (standsInLine(whole) && quietEncode(letters, whole) == wanted) return whole;

    // Byte by byte: the decoded text of each byte where it fits and encodes
    // back to that byte alone, its hex form otherwise.
    std::vector<std::string> pieces;
    pieces.reserve(body.size());
    std::string joined;
    auto unwritable = [](char c) {
        return FormatError("text byte 0x" + numeric::hexText(static_cast<unsigned char>(c)) +
                           " cannot be written in a script line: the codeset defines no hex form");
    };
    for (const char c : body) {
        const std::string one(1, c);
        std::string piece = quietDecode(letters, one);
        const bool fits = fitsAfter(joined, piece);
        if (piece.empty() || !fits || quietEncode(letters, piece) != one + finish) {
            std::string hex = letters.hexForm(static_cast<unsigned char>(c));
            if (!hex.empty())
                piece = std::move(hex);
            else if (!fits)
                throw unwritable(c);
        }
        joined += piece;
        pieces.push_back(std::move(piece));
    }
    // A blank at the very end would be dropped.
    if (!joined.empty() && joined.back() == ' ') {
        const char last = body.back();
        std::string hex = letters.hexForm(static_cast<unsigned char>(last));
        if (hex.empty()) throw unwritable(last);
        joined.resize(joined.size() - pieces.back().size());
        joined += hex;
    }
    if (quietEncode(letters, joined) == wanted) return joined;

    // Pieces that read differently side by side (a marker character next to
    // a code name): every byte in hex form is exact.
    std::string allHex;
    for (const char c : body) allHex += letters.hexForm(static_cast<unsigned char>(c));
    if (!allHex.empty() && quietEncode(letters, allHex) == wanted) return allHex;
    return joined;
}

}  // namespace kestrel
