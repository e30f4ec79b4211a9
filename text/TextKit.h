#pragma once
// The small text helpers every layer shares, wren included: hexadecimal
// digits, ASCII case folding, a case-folded hash, and replace-all. The
// system's texts are single-byte; bytes 128 to 255 are no letters here, in
// any locale.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel::textkit {

// 0 to 15 for '0'-'9', 'a'-'f' and 'A'-'F'; -1 for any other character.
constexpr int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The digit of the low four bits of `value`.
constexpr char upperHexDigit(unsigned value) { return "0123456789ABCDEF"[value & 0xF]; }
constexpr char lowerHexDigit(unsigned value) { return "0123456789abcdef"[value & 0xF]; }

// Two upper-case digits, most significant first.
inline void appendHexPair(std::string& out, uint8_t byte) {
    out += upperHexDigit(byte >> 4);
    out += upperHexDigit(byte);
}

// Upper-case hexadecimal without leading zeros, padded with "0" in front to
// at least `minDigits` digits.
std::string upperHex(uint64_t value, std::size_t minDigits = 1);

// Whether the text is made only of hexadecimal digits, at least one of them.
bool isHexText(std::string_view text);

// The value of a text made only of hexadecimal digits, at least one of them;
// false (value untouched) for any other text. A value beyond 64 bits reads
// as UINT64_MAX, so that it still compares as too large.
bool hexValue(std::string_view digits, uint64_t& value);

constexpr char foldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }
constexpr char upperCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c; }

inline void lowerInPlace(std::string& text) {
    for (char& c : text) c = foldCase(c);
}

std::string lower(std::string_view text);
std::string upper(std::string_view text);

inline bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldCase(a[i]) != foldCase(b[i])) return false;
    return true;
}

// Hash and equality of texts without regard to case, for unordered maps
// whose keys compare so; look-ups take a string_view and build no
// lower-cased copy.
struct FoldedHash {
    using is_transparent = void;
    // Not noexcept on purpose: the standard library then keeps each node's
    // hash code, so a look-up walks a bucket without hashing the keys it
    // passes again.
    std::size_t operator()(std::string_view text) const;
};
struct FoldedEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept { return equalsIgnoreCase(a, b); }
};

// Replaces every occurrence of `from`, left to right; a replacement is not
// searched again. An empty `from` changes nothing.
void replaceAll(std::string& text, std::string_view from, std::string_view to);

}  // namespace kestrel::textkit
