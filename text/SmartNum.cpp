#include "text/SmartNum.h"

#include <array>
#include <charconv>
#include <cmath>

#include "text/Autobank.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/ParmType.h"
#include "text/TextKit.h"

namespace kestrel {

namespace {

// One byte from the hex pair at `pos`: blanks are skipped and the pair ends at
// its first non-hex character, so "ZZ" gives 0 and "1Z" gives 1.
uint8_t pairByte(const std::string& digits, size_t pos) {
    unsigned value = 0;
    const size_t end = std::min(digits.size(), pos + 2);
    for (size_t i = pos; i < end; ++i) {
        const char c = digits[i];
        if (c == ' ' || c == '\t' || c == '\n') continue;
        const int d = textkit::hexDigit(c);
        if (d < 0) break;
        value = value * 16 + static_cast<unsigned>(d);
    }
    return static_cast<uint8_t>(value);
}

// Internal codes are negated type codes.
bool isPointerKind(int size) { return size <= 0 && ParmType::isPointer(-static_cast<double>(size)); }

// Decimal text of any number: whole numbers without a fraction.
std::string numberText(double value) {
    if (value == std::floor(value) && std::fabs(value) < 9e18) return numeric::decimal(static_cast<int64_t>(value));
    char out[32];
    const auto [end, ec] = std::to_chars(out, out + sizeof out, value);
    (void)ec;
    return std::string(out, end);
}

// A type entry read as kaCodevals needs it: its strict value and its 16-bit
// reading. Entries of one to four digits, the usual ones, skip the parser.
struct TypeCode {
    double code;
    int field;
};

TypeCode typeCode(std::string_view entry) {
    if (!entry.empty() && entry.size() <= 4) {
        int value = 0;
        size_t i = 0;
        for (; i < entry.size() && entry[i] >= '0' && entry[i] <= '9'; ++i) value = value * 10 + (entry[i] - '0');
        if (i == entry.size()) return {static_cast<double>(value), value};
    }
    const double code = numeric::strict(entry);
    return {code, numeric::toInt16(numeric::read(entry))};
}

void appendDecimal(std::string& out, size_t value) {
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    (void)ec;
    out.append(digits, end);
}

// A value whose hexadecimal text is longer than the field keeps its leading
// digits, as the digit text would.
uint64_t leadingDigits(uint32_t value, size_t length) {
    size_t digits = 1;
    while (digits < 8 && (value >> (4 * digits)) != 0) ++digits;
    return digits > length ? value >> (4 * (digits - length)) : value;
}

// The hexadecimal digits of an "&h" word when they are nothing but digits and
// at most `limit` of them (none reads as 0).
bool readHex(std::string_view digits, size_t limit, uint64_t& value) {
    if (digits.size() > limit) return false;
    value = 0;
    return digits.empty() || textkit::hexValue(digits, value);
}

}  // namespace

std::string SmartNum::kaCodevals(std::string source, std::string& mask) {
    if (!source.empty()) values_.kaSplit(source, " ");
    if (!mask.empty()) types_.kaSplit(mask, ",");
    return codeFields(mask);
}

std::string SmartNum::kaCodevals(std::span<const std::string_view> words, std::span<const std::string_view> types,
                                 std::string& pointers) {
    if (words.size() == types.size() && values_.kaSplitWords(words, ' ') && types_.kaSplitWords(types, ','))
        return codeFields(pointers);
    // Lists that splitting would change (empty words, blanks, more than 16
    // fields) go through the text, on fresh slots: the text path reads slots
    // past the end of a shorter list.
    *this = SmartNum(*autobank_);
    std::string source;
    pointers.clear();
    for (size_t i = 0; i < words.size(); ++i) {
        if (i > 0) source += ' ';
        source += words[i];
    }
    for (size_t i = 0; i < types.size(); ++i) {
        if (i > 0) pointers += ',';
        pointers += types[i];
    }
    return kaCodevals(std::move(source), pointers);
}

std::string SmartNum::codeFields(std::string& mask) {
    std::string result;
    std::string pointers;
    result.reserve(static_cast<size_t>(values_.count() + 1) * 4);
    for (int i = 0; i <= values_.count(); ++i) {
        const std::string& type = types_.values(i);
        const std::string& word = values_.values(i);

        // A "$" type entry is a four-byte field written in place through CPtr.
        const bool dollarType = type.starts_with('$');
        double code = 3;
        bool pointerSlot = false;
        int fieldCode = 3;
        if (!dollarType) {
            const TypeCode parsed = typeCode(type);
            code = parsed.code;
            pointerSlot = ParmType::isPointer(code);
            fieldCode = parsed.field;
        }

        if (pointerSlot) {
            if (!pointers.empty()) pointers += ',';
            pointers += word;
            pointers += ',';
            appendDecimal(pointers, result.size());
            pointers += ',';
            pointers += type;
            result += "!PTR";
            continue;
        }
        if (word.starts_with('$')) {
            // A user parameter: its entry becomes the type code plus 11 (`type`
            // names that slot and changes with it).
            types_.setValues(i, numberText(numeric::strict(type) + ParmType::kUserOffset));
            const std::string& entry = types_.values(i);
            if (numeric::strict(entry) > static_cast<double>(ParmType::command))
                result += entry;
            else
                numberpush(result, word, -fieldCode);
            continue;
        }
        if (code > static_cast<double>(ParmType::command) && !dollarType)
            result += type;
        else if (dollarType)
            numberpush(result, numeric::decimal(CPtr(word, *autobank_)), -fieldCode);
        else
            numberpush(result, word, -fieldCode);
    }
    mask = std::move(pointers);
    return result;
}

std::string SmartNum::kaRipvals(const std::string& source, const std::string& mask) {
    SmartString types;
    types.kaSplit(mask, ",");
    std::string words;
    size_t pos = 0;
    for (int i = 0; i <= types.count(); ++i) {
        const std::string& entry = types.values(i);
        const int length = entry.starts_with('$') ? 4 : STransLength(-numeric::toInt16(numeric::read(entry)), 2);
        if (length < 0) throw OutOfRangeError("negative field length for type " + entry);
        const std::string field = pos < source.size() ? source.substr(pos, static_cast<size_t>(length)) : std::string();
        pos += static_cast<size_t>(length);
        std::string word = numberpull(field);
        if (i > 0) words += ' ';
        words += word;
        values_.setValues(i, std::move(word));
    }
    return words;
}

bool SmartNum::isvalue(const std::string& data, bool pointchk) { return SmartString::isvalue(data, pointchk); }

namespace {

// The field as hexadecimal digit text, most significant first, read two
// digits a byte: the general form of numberpush.
std::string digitField(std::string_view number, int size) {
    std::string digits;
    size_t length;  // hex digits that make up the field
    if (size <= 0) {
        length = static_cast<size_t>(SmartNum::STransLength(size, 1));
        const std::string value(number);
        if (value.size() >= 2 && value[0] == '&' && (value[1] == 'h' || value[1] == 'H'))
            digits = textkit::upper(std::string_view(value).substr(2));
        else
            digits = numeric::hexText(numeric::read(value));
        if (digits.size() < length) digits.insert(0, length - digits.size(), '0');
    } else {
        // Raw data: the digits as written, any length, "&h" markers dropped.
        digits.reserve(number.size() + 1);
        for (size_t i = 0; i < number.size(); ++i) {
            if (number[i] == '&' && i + 1 < number.size() && number[i + 1] == 'h')
                ++i;
            else
                digits += number[i];
        }
        length = digits.size();
        if (length % 2 != 0) digits.insert(0, 1, '0');
    }

    // Digits are most significant first; the field is little-endian.
    const size_t bytes = (length + 1) / 2;
    std::string field(bytes, '\0');
    for (size_t k = 0; k < bytes; ++k) field[bytes - 1 - k] = static_cast<char>(pairByte(digits, 2 * k));
    return field;
}

}  // namespace

std::string SmartNum::numberpush(const std::string& number, int size) {
    std::string field;
    numberpush(field, number, size);
    return field;
}

void SmartNum::numberpush(std::string& field, std::string_view number, int size) {
    if (size <= 0) {
        // A whole number goes straight from the integer to its bytes; the
        // digit text below is kept for "&h" words that are longer than the
        // field (their leading digits count) or are no plain digits.
        const auto length = static_cast<size_t>(STransLength(size, 1));
        uint64_t value = 0;
        bool whole = true;
        if (isPointerKind(size)) {
            value = leadingDigits(static_cast<uint32_t>(numeric::toInt32(numeric::read(number))), length);
        } else if (number.size() >= 2 && number[0] == '&' && (number[1] == 'h' || number[1] == 'H')) {
            whole = readHex(number.substr(2), std::min<size_t>(length, 16), value);
        } else {
            value = leadingDigits(static_cast<uint32_t>(numeric::toInt32(numeric::read(number))), length);
        }
        if (whole) {
            const size_t bytes = (length + 1) / 2;
            for (size_t k = 0; k < bytes; ++k) field += static_cast<char>(k < 8 ? (value >> (8 * k)) & 0xFF : 0);
            return;
        }
    }
    field += digitField(number, size);
}

std::string SmartNum::numberpull(const std::string& bytes, int /*size*/) {
    std::string word(2 + 2 * bytes.size(), '0');
    word[0] = '&';
    word[1] = 'h';
    size_t out = 2;
    for (size_t i = bytes.size(); i-- > 0;) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        word[out++] = textkit::upperHexDigit(b >> 4);
        word[out++] = textkit::upperHexDigit(b);
    }
    return word;
}

int32_t SmartNum::CPtr(const std::string& base, const Autobank& autobank) {
    return autobank.pointerOf(numeric::read(base));
}

std::string SmartNum::STransLabel(int size) {
    if (size > 0 || size < -ParmType::userDword) return {};
    return std::string(ParmType::of(-size).label);
}

int SmartNum::STransLength(int size, int mode) {
    // Past the table a code's width is the code itself, so the negated internal code.
    int64_t bytes = -static_cast<int64_t>(size);
    if (size <= 0 && size >= -ParmType::userDword) bytes = ParmType::of(-size).width;
    if (mode == 1) bytes *= 2;
    return numeric::toInt16(static_cast<double>(bytes));
}

}  // namespace kestrel
