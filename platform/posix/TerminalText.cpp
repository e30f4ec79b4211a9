#include "platform/posix/TerminalText.h"

#include "text/TextKit.h"

namespace kestrel {

namespace {

void appendEscaped(std::string& out, unsigned char byte) {
    out += "\\x";
    textkit::appendHexPair(out, byte);
}

bool inRange(std::string_view text, std::size_t at, unsigned char low, unsigned char high) {
    if (at >= text.size()) return false;
    auto byte = static_cast<unsigned char>(text[at]);
    return byte >= low && byte <= high;
}

}  // namespace

std::size_t TerminalText::sequenceLength(std::string_view text, std::size_t at) {
    auto lead = static_cast<unsigned char>(text[at]);
    // The second byte's range excludes overlong forms, surrogates and code
    // points above U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    std::size_t length;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (!inRange(text, at + 1, low, high)) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!inRange(text, at + i, 0x80, 0xBF)) return 0;
    return length;
}

std::string TerminalText::escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        auto byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x80) {
            if ((byte < 0x20 && byte != '\t') || byte == 0x7F)
                appendEscaped(out, byte);
            else
                out += static_cast<char>(byte);
            ++at;
            continue;
        }
        std::size_t length = sequenceLength(text, at);
        if (length == 0) {
            appendEscaped(out, byte);
            ++at;
        } else if (byte == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0) {
            // C1 control characters act on many terminals even when UTF-8 encoded.
            appendEscaped(out, byte);
            appendEscaped(out, static_cast<unsigned char>(text[at + 1]));
            at += 2;
        } else {
            out.append(text.substr(at, length));
            at += length;
        }
    }
    return out;
}

std::string TerminalText::escapeLines(std::string_view text) {
    std::string out;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        bool broken = end != std::string_view::npos;
        if (!broken) end = text.size();
        std::string_view line = text.substr(at, end - at);
        if (broken && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        out += escape(line);
        if (broken) out += '\n';
        at = end + 1;
    }
    return out;
}

}  // namespace kestrel
