#include "codec/CodeForm.h"

#include "text/TextKit.h"

namespace wren {

namespace {

namespace textkit = kestrel::textkit;

bool isCode(std::string_view text, uint64_t& value) {
    return text.size() > 2 && text[0] == '&' && text[1] == 'h' && textkit::hexValue(text.substr(2), value);
}

}  // namespace

std::string toCodeForm(std::string_view text) {
    uint64_t value = 0;
    if (isCode(text, value) && value < 16) return "&h" + textkit::upperHex(value, 2);
    if (text.size() == 1) return "&h" + textkit::upperHex(static_cast<unsigned char>(text[0]), 2);
    return std::string(text);
}

bool fromCodeForm(std::string_view text, std::string& result) {
    uint64_t value = 0;
    if (!isCode(text, value)) {
        result.assign(text);
        return true;
    }
    if (value > 0xFF) return false;
    result.assign(1, static_cast<char>(static_cast<unsigned char>(value)));
    return true;
}

}  // namespace wren
