#include "commands/FieldFit.h"

#include <cctype>
#include <cstdint>

#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/ParmType.h"
#include "text/SmartNum.h"

namespace kestrel {

int numberFieldBytes(int type) {
    const ParmType row = ParmType::of(type);
    return row.layout == ParmLayout::number && row.width > 0 ? row.width : 0;
}

FieldFit fieldFit(std::string_view word, int type) {
    const int bytes = numberFieldBytes(type);
    if (word.starts_with('$')) return FieldFit::fits;

    // "&h" digits are written as given, padded in front: the field holds
    // them when there are no more digits than it has.
    if (word.size() >= 2 && word[0] == '&' && (word[1] == 'h' || word[1] == 'H')) {
        const std::string_view digits = word.substr(2);
        if (digits.empty()) return FieldFit::notNumber;
        for (char c : digits)
            if (!std::isxdigit(static_cast<unsigned char>(c))) return FieldFit::notNumber;
        return digits.size() <= static_cast<std::size_t>(2 * bytes) ? FieldFit::fits : FieldFit::misfit;
    }

    // Plain digits, the usual word: no parser needed. (Past 32 bits signed,
    // numberpush raises its overflow error whatever this says.)
    if (!word.empty() && word.size() <= 18) {
        uint64_t value = 0;
        std::size_t i = 0;
        for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i)
            value = value * 10 + static_cast<uint64_t>(word[i] - '0');
        if (i == word.size()) return value < (uint64_t{1} << (8 * bytes)) ? FieldFit::fits : FieldFit::misfit;
    }

    // Signs, fractions, exponents and octal: the field must hold the rounded
    // number as its two's complement, which only the written bytes can tell
    // (a negative number gives the leading digits of its 32-bit form).
    double reading;
    try {
        reading = numeric::strict(word);
    } catch (const TypeMismatchError&) {
        return FieldFit::notNumber;
    }
    const int64_t value = numeric::toInt32(reading);
    const int64_t lowest = -(int64_t{1} << (8 * bytes - 1));
    const int64_t highest = (int64_t{1} << (8 * bytes)) - 1;
    if (value < lowest || value > highest) return FieldFit::misfit;
    const std::string written = SmartNum::numberpush(std::string(word), -type);
    for (int i = 0; i < bytes; ++i) {
        const auto expected = static_cast<uint8_t>((static_cast<uint64_t>(value) >> (8 * i)) & 0xFF);
        if (static_cast<std::size_t>(i) >= written.size() || static_cast<uint8_t>(written[i]) != expected)
            return FieldFit::misfit;
    }
    return FieldFit::fits;
}

bool isNumberWord(std::string_view word) { return fieldFit(word, 2) != FieldFit::notNumber; }

std::string fieldBytesText(const std::string& word, int type) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (char c : SmartNum::numberpush(word, -type)) {
        const auto b = static_cast<unsigned char>(c);
        if (!out.empty()) out += ' ';
        out += kDigits[b >> 4];
        out += kDigits[b & 0xF];
    }
    return out;
}

}  // namespace kestrel
