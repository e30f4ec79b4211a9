#pragma once
// Number helpers of the codec library. wren links against nothing of the
// system, so it carries its own copy of the shared numeric reading.
#include <cstdint>
#include <string>
#include <string_view>

namespace wren {

// Leading-number reading: blanks, tabs and line feeds are ignored anywhere;
// "&h"/"&H" hexadecimal (up to four digits signed 16-bit, five to eight signed
// 32-bit), "&o"/"&O" octal, otherwise decimal with optional sign, fraction and
// "E"/"D" exponent. The longest prefix that forms a number counts; none gives 0.
double numericReading(std::string_view text);

// Rounds halves to even; throws std::overflow_error outside -32768..32767.
int16_t roundToInt16(double value);

// Upper-case hexadecimal without leading zeros, padded to at least minDigits.
std::string upperHex(uint32_t value, std::size_t minDigits = 1);

bool isHexDigit(char c);

// Value of a text made only of hexadecimal digits (at least one); false for
// anything else. Values that do not fit 32 bits saturate at UINT32_MAX.
bool hexDigitsValue(std::string_view digits, uint32_t& value);

} // namespace wren
