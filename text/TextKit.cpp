#include "text/TextKit.h"

#include <limits>

namespace kestrel::textkit {

std::string upperHex(uint64_t value, std::size_t minDigits) {
    char digits[16];
    std::size_t n = sizeof digits;
    do {
        digits[--n] = upperHexDigit(static_cast<unsigned>(value & 0xF));
        value >>= 4;
    } while (value != 0);
    const std::size_t count = sizeof digits - n;
    std::string out;
    if (count < minDigits) out.assign(minDigits - count, '0');
    out.append(digits + n, count);
    return out;
}

bool isHexText(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text)
        if (hexDigit(c) < 0) return false;
    return true;
}

bool hexValue(std::string_view digits, uint64_t& value) {
    if (digits.empty()) return false;
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    uint64_t total = 0;
    for (const char c : digits) {
        const int d = hexDigit(c);
        if (d < 0) return false;
        total = total > (kMax - static_cast<uint64_t>(d)) / 16 ? kMax : total * 16 + static_cast<uint64_t>(d);
    }
    value = total;
    return true;
}

std::string lower(std::string_view text) {
    std::string out(text);
    lowerInPlace(out);
    return out;
}

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = upperCase(c);
    return out;
}

std::size_t FoldedHash::operator()(std::string_view text) const {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a over the folded bytes
    for (const char c : text) hash = (hash ^ static_cast<uint8_t>(foldCase(c))) * 1099511628211ull;
    return static_cast<std::size_t>(hash ^ (hash >> 29));
}

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    if (from.empty()) return;
    std::size_t at = text.find(from);
    if (at == std::string::npos) return;
    // One pass into a new text: replacing in place would move the tail once
    // per occurrence, quadratic over a whole decompiled script.
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (; at != std::string::npos; at = text.find(from, start)) {
        out.append(text, start, at - start).append(to);
        start = at + from.size();
    }
    out.append(text, start, std::string::npos);
    text = std::move(out);
}

}  // namespace kestrel::textkit
