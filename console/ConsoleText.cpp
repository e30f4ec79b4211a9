#include "console/ConsoleText.h"

#include <cmath>

namespace kestrel {

std::string ConsoleText::enterLine(const std::string& text, std::size_t caret) {
    if (text.empty()) return "";
    if (caret > text.size()) caret = text.size();
    // 0-based start of the line: after the last CR LF lying wholly within
    // the first `caret` characters.
    std::size_t start = 0;
    if (caret >= 2) {
        const std::size_t pair = text.rfind("\r\n", caret - 2);
        if (pair != std::string::npos) start = pair + 2;
    }
    // The first CR LF that starts at or after the character just before the
    // caret ends the line and is included; without one the line runs to the end.
    const std::size_t from = caret == 0 ? 0 : caret - 1;
    const std::size_t end = text.find("\r\n", from);
    if (end == std::string::npos) return text.substr(start);
    return text.substr(start, end + 2 - start);
}

int ConsoleText::tabStop(long clientWidthTwips) {
    const double characters = static_cast<double>(clientWidthTwips) / 120.0;
    // nearbyint follows the default rounding mode: halves to even.
    return 2 * static_cast<int>(std::nearbyint(characters));
}

std::string ConsoleText::forDisplay(const std::string& text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\0') {
            shown += ' ';
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            shown += "\r\n";
            ++i;
        } else if (c == '\r' || c == '\n') {
            shown += "\r\n";
        } else {
            shown += c;
        }
    }
    return shown;
}

}  // namespace kestrel
