#include "bufferwriter/AddressText.h"

#include "text/KestrelError.h"

namespace kestrel::address {

namespace {

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

int64_t parse(std::string_view text) {
    const std::string shown(text);
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    auto refuse = [&](const std::string& why) -> FormatError {
        return FormatError("'" + shown + "' is not an address: " + why);
    };
    if (text.empty()) throw refuse("it is empty");
    if (text.front() == '-') throw refuse("addresses are not negative");
    int base = 10;
    if (text.size() >= 2 && (text[0] == '&' || text[0] == '0') &&
        (text[1] == 'h' || text[1] == 'H' || (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')))) {
        if (text[0] == '&' && !(text[1] == 'h' || text[1] == 'H')) throw refuse("use &h or 0x for hexadecimal");
        base = 16;
        text.remove_prefix(2);
        if (text.empty()) throw refuse("no digits follow the hexadecimal mark");
    }
    int64_t value = 0;
    for (char c : text) {
        const int digit = digitValue(c);
        if (digit < 0 || digit >= base)
            throw refuse(base == 16 ? "write hexadecimal digits after &h or 0x"
                                    : "write decimal digits, or &h / 0x and hexadecimal digits");
        value = value * base + digit;
        if (value > kLargest) throw refuse("beyond the largest image address &H7FFFFFFF");
    }
    return value;
}

std::string hex(int64_t address) {
    static const char* digits = "0123456789ABCDEF";
    auto value = static_cast<uint64_t>(address);
    std::string out;
    do {
        out.insert(out.begin(), digits[value & 15]);
        value >>= 4;
    } while (value != 0);
    return "&H" + out;
}

}  // namespace kestrel::address
