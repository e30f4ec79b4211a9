#include "codec/WrenNumber.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace wren {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Hexadecimal after "&h": at most eight digits form a number.
double readHex(std::string_view s) {
    uint32_t value = 0;
    std::size_t n = 0;
    while (n < s.size() && n < 8 && hexDigitValue(s[n]) >= 0) {
        value = value * 16 + static_cast<uint32_t>(hexDigitValue(s[n]));
        ++n;
    }
    if (n <= 4) return static_cast<int16_t>(static_cast<uint16_t>(value));
    return static_cast<int32_t>(value);
}

// Octal after "&o": digits are taken while the value still fits 32 bits.
double readOctal(std::string_view s) {
    uint64_t value = 0;
    for (std::size_t n = 0; n < s.size() && s[n] >= '0' && s[n] <= '7'; ++n) {
        const uint64_t next = value * 8 + static_cast<uint64_t>(s[n] - '0');
        if (next > 0xFFFFFFFFu) break;
        value = next;
    }
    if (value <= 0xFFFF) return static_cast<int16_t>(static_cast<uint16_t>(value));
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

double readDecimal(std::string_view s) {
    std::string number;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') number += '-';
        ++i;
    }
    std::size_t digits = 0;
    for (; i < s.size() && isDigit(s[i]); ++i, ++digits) number += s[i];
    if (i < s.size() && s[i] == '.') {
        std::string fraction = ".";
        std::size_t j = i + 1;
        for (; j < s.size() && isDigit(s[j]); ++j) fraction += s[j];
        if (fraction.size() > 1 || digits > 0) {
            digits += fraction.size() - 1;
            if (fraction.size() > 1) number += fraction;
            i = j;
        }
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent += s[j++];
        const std::size_t first = j;
        for (; j < s.size() && isDigit(s[j]); ++j) exponent += s[j];
        if (j > first) number += exponent;
    }
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        return number.find("e-") != std::string::npos ? 0.0
             : (number[0] == '-' ? -HUGE_VAL : HUGE_VAL);
    }
    return result.ec == std::errc() ? value : 0.0;
}

} // namespace

double numericReading(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text) {
        if (!isBlank(c)) s += c;
    }
    if (s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'h' || s[1] == 'H') return readHex(std::string_view(s).substr(2));
        if (s[1] == 'o' || s[1] == 'O') return readOctal(std::string_view(s).substr(2));
        return 0;
    }
    return readDecimal(s);
}

int16_t roundToInt16(double value) {
    // nearbyint follows the default round-to-nearest-even mode.
    const double rounded = std::nearbyint(value);
    if (!(rounded >= -32768.0 && rounded <= 32767.0)) throw std::overflow_error("Overflow");
    return static_cast<int16_t>(rounded);
}

std::string upperHex(uint32_t value, std::size_t minDigits) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (text.size() < minDigits) text.insert(0, minDigits - text.size(), '0');
    return text;
}

bool isHexDigit(char c) {
    return hexDigitValue(c) >= 0;
}

bool hexDigitsValue(std::string_view digits, uint32_t& value) {
    if (digits.empty()) return false;
    uint64_t total = 0;
    for (char c : digits) {
        const int d = hexDigitValue(c);
        if (d < 0) return false;
        total = total * 16 + static_cast<uint64_t>(d);
        if (total > 0xFFFFFFFFu) total = 0xFFFFFFFFu;
    }
    value = static_cast<uint32_t>(total);
    return true;
}

} // namespace wren
