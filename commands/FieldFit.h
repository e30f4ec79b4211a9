#pragma once
// Whether a value word of a command line can go into the number field of its
// parameter, checked before the word is written. The bytes themselves come
// from SmartNum::numberpush either way; this only tells the encoder what to
// report about them.
#include <string>
#include <string_view>

namespace kestrel {

enum class FieldFit {
    fits,       // the field holds the number as written
    misfit,     // a number, but the field receives other bytes (too large, too many digits)
    notNumber,  // no number at all ("&hZZ", "sideways", "3rd")
};

// Width in bytes of the number field of a parameter type (byte, word, dword,
// enumeration); 0 for every type that is no number field.
int numberFieldBytes(int type);

// Checks `word` against the number field of `type` (numberFieldBytes > 0).
// A "$" word (a user parameter) fits any field. Overflow of the 32-bit range
// is left to numberpush, which raises it.
FieldFit fieldFit(std::string_view word, int type);

// Whether `word` is a number at all: "&h" hexadecimal digits, a number that
// strict conversion reads, or a "$" word (a user parameter).
bool isNumberWord(std::string_view word);

// "00 10": the bytes numberpush writes for `word`, for messages.
std::string fieldBytesText(const std::string& word, int type);

}  // namespace kestrel
