#include "codec/CodeForm.h"

#include "codec/WrenNumber.h"

namespace wren {

namespace {

bool isCode(std::string_view text, uint32_t& value) {
    return text.size() > 2 && text[0] == '&' && text[1] == 'h' && hexDigitsValue(text.substr(2), value);
}

} // namespace

std::string asciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::string toCodeForm(std::string_view text) {
    uint32_t value = 0;
    if (isCode(text, value) && value < 16) return "&h" + upperHex(value, 2);
    if (text.size() == 1) return "&h" + upperHex(static_cast<unsigned char>(text[0]), 2);
    return std::string(text);
}

bool fromCodeForm(std::string_view text, std::string& result) {
    uint32_t value = 0;
    if (!isCode(text, value)) {
        result.assign(text);
        return true;
    }
    if (value > 0xFF) return false;
    result.assign(1, static_cast<char>(static_cast<unsigned char>(value)));
    return true;
}

} // namespace wren
