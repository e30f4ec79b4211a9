#pragma once
// Addresses as the buffer writer reads and shows them. An address is a 0-based
// offset into an image. Typed addresses are read as unsigned numbers, so that
// "&H9000" is 36864 and not the negative 16-bit value the numeric reading of
// scripts gives four hexadecimal digits.
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel::address {

// The largest address the burn can seek to (file positions are signed 32-bit).
constexpr int64_t kLargest = 0x7FFFFFFF;

// Reads decimal digits, "&h"/"&H" or "0x"/"0X" hexadecimal; blanks around the
// text are ignored. Throws FormatError naming the text for anything else:
// an empty text, a sign, other characters, or a value above kLargest.
int64_t parse(std::string_view text);

// "&H" + upper-case hexadecimal digits without leading zeros, as the search
// lists locations ("&H800011").
std::string hex(int64_t address);

}  // namespace kestrel::address
