#include "text/ScriptWord.h"

#include "text/Numeric.h"

namespace kestrel {

std::string ScriptWord::unsafe(std::string_view name) {
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r' || c == '\n') return "holds a line break";
        if (byte < 0x20 || byte == 0x7F) return "holds the control byte 0x" + numeric::hexText(byte);
        if (c == ' ') return "holds a blank";
        if (c == ';') return "holds ';', which separates statements";
        if (c == '\'') return "holds \"'\", which starts a comment";
        if (c == '"') return "holds a quotation mark";
    }
    return {};
}

std::string ScriptWord::fault(std::string_view name) {
    if (name.empty()) return "is empty";
    std::string why = unsafe(name);
    if (!why.empty()) return why;
    if (name.front() == '=') return "begins with '=', which starts a text";
    if (name.find('#') != std::string_view::npos) return "holds '#', which reads as a hexadecimal prefix";
    for (std::size_t i = 1; i < name.size(); ++i)
        if (name[i - 1] == '0' && (name[i] == 'x' || name[i] == 'X'))
            return "holds '0x', which reads as a hexadecimal prefix";
    return {};
}

}  // namespace kestrel
