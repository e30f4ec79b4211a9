#pragma once
// Numeric primitives shared by the tokenizer, SmartNum and every caller that
// reads a number out of script text.
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel::numeric {

// Numeric reading: blanks, tabs and line feeds are ignored anywhere; the
// longest prefix that forms a number is read, 0 when there is none.
// "&h"/"&H" hexadecimal (up to 4 digits signed 16-bit, 5 to 8 signed 32-bit),
// "&o"/"&O" octal, otherwise decimal with sign, fraction and exponent (E or D).
double read(std::string_view text);

// Strict conversion: the whole text (apart from surrounding blanks) must be a
// number; throws TypeMismatchError otherwise.
double strict(std::string_view text);

// Round half to even; throws OverflowError outside the type's range.
int16_t toInt16(double value);
int32_t toInt32(double value);
uint8_t toByte(double value);  // 0..255, OverflowError outside

// Upper-case hexadecimal of the value rounded to a signed 32-bit integer, no
// leading zeros; negative numbers give their 32-bit two's complement.
std::string hexText(double value);

// Decimal text of a whole number (no leading space).
std::string decimal(int64_t value);

// "Spaced decimal": a space before non-negative numbers, "-" before negative.
std::string spacedDecimal(int64_t value);

}  // namespace kestrel::numeric
