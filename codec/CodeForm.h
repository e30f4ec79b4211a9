#pragma once
// The code form of table keys: single characters and small "&h" codes are
// brought to one spelling ("&h" + at least two upper-case hex digits), so that
// a character, its code and differently padded codes meet in one key.
#include <string>
#include <string_view>

namespace wren {

// "&h5" -> "&h05", "A" -> "&h41", a tab -> "&h09"; other texts unchanged.
// Only the exact prefix "&h" marks a code: "&H41" stays a plain text.
std::string toCodeForm(std::string_view text);

// "&h41" -> "A"; texts that are not "&h" + hex digits come back unchanged.
// Returns false when the text is a code outside 0..255 (no byte to give).
bool fromCodeForm(std::string_view text, std::string& result);

}  // namespace wren
