#include "text/SmartNum.h"

#include <array>
#include <charconv>
#include <cmath>

#include "text/Autobank.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"

namespace kestrel {

namespace {

constexpr double kImageBase = 134217728.0;  // 0x08000000

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One byte from the hex pair at `pos`: blanks are skipped and the pair ends at
// its first non-hex character, so "ZZ" gives 0 and "1Z" gives 1.
uint8_t pairByte(const std::string& digits, size_t pos) {
    unsigned value = 0;
    const size_t end = std::min(digits.size(), pos + 2);
    for (size_t i = pos; i < end; ++i) {
        const char c = digits[i];
        if (c == ' ' || c == '\t' || c == '\n') continue;
        const int d = hexDigit(c);
        if (d < 0) break;
        value = value * 16 + static_cast<unsigned>(d);
    }
    return static_cast<uint8_t>(value);
}

bool isPointerKind(int size) { return size == -3 || size == -8 || size == -9; }

// Decimal text of any number: whole numbers without a fraction.
std::string numberText(double value) {
    if (value == std::floor(value) && std::fabs(value) < 9e18)
        return numeric::decimal(static_cast<int64_t>(value));
    char out[32];
    const auto [end, ec] = std::to_chars(out, out + sizeof out, value);
    (void)ec;
    return std::string(out, end);
}

constexpr std::array<const char*, 14> kLabels = {
    "byte    = ",   "word    = ",   "dword   = ",   "Pointer = ",   "END OF SCRIPT MARK",
    "- Enum    = ", "- Mask    = ", "Command   = ", "Str Point = ", "Move Point= ",
    "String    = ", "User Byte = ", "User Word = ", "User DWord= ",
};

}  // namespace

std::string SmartNum::kaCodevals(std::string source, std::string& mask) {
    if (!source.empty()) values_.kaSplit(std::move(source), " ");
    if (!mask.empty()) types_.kaSplit(mask, ",");

    std::string result;
    std::string pointers;
    result.reserve(static_cast<size_t>(values_.count() + 1) * 4);
    for (int i = 0; i <= values_.count(); ++i) {
        const std::string type = types_.values(i);
        const std::string& word = values_.values(i);

        // A "$" type entry is a four-byte field written in place through CPtr.
        const bool dollarType = type.starts_with('$');
        double code = 3;
        bool pointerSlot = false;
        int fieldCode = 3;
        if (!dollarType) {
            code = numeric::strict(type);
            pointerSlot = code == 3 || code >= 8;
            fieldCode = numeric::toInt16(numeric::read(type));
        }

        bool userParameter = false;
        if (word.starts_with('$') && !pointerSlot) {
            types_.setValues(i, numberText(numeric::strict(type) + 11));
            userParameter = true;
        }

        if (pointerSlot) {
            if (!pointers.empty()) pointers += ',';
            pointers += word;
            pointers += ',';
            pointers += numeric::decimal(static_cast<int64_t>(result.size()));
            pointers += ',';
            pointers += type;
            result += "!PTR";
            continue;
        }
        const std::string& entry = types_.values(i);
        if (userParameter ? numeric::strict(entry) > 7 : code > 7 && !dollarType) result += entry;
        else result += numberpush(word, -fieldCode);
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
        const int length =
            entry.starts_with('$') ? 4 : STransLength(-numeric::toInt16(numeric::read(entry)), 2);
        if (length < 0) throw OutOfRangeError("negative field length for type " + entry);
        const std::string field =
            pos < source.size() ? source.substr(pos, static_cast<size_t>(length)) : std::string();
        pos += static_cast<size_t>(length);
        std::string word = numberpull(field);
        if (i > 0) words += ' ';
        words += word;
        values_.setValues(i, std::move(word));
    }
    return words;
}

bool SmartNum::isvalue(const std::string& data, bool pointchk) { return SmartString::isvalue(data, pointchk); }

std::string SmartNum::numberpush(const std::string& number, int size) {
    std::string digits;
    size_t length;  // hex digits that make up the field
    if (size <= 0) {
        length = static_cast<size_t>(STransLength(size, 1));
        const std::string value = isPointerKind(size) ? numeric::decimal(CPtr(number)) : number;
        if (value.size() >= 2 && value[0] == '&' && (value[1] == 'h' || value[1] == 'H'))
            digits = numeric::upper(std::string_view(value).substr(2));
        else
            digits = numeric::hexText(numeric::read(value));
        if (digits.size() < length) digits.insert(0, length - digits.size(), '0');
    } else {
        // Raw data: the digits as written, any length, "&h" markers dropped.
        digits.reserve(number.size() + 1);
        for (size_t i = 0; i < number.size(); ++i) {
            if (number[i] == '&' && i + 1 < number.size() && number[i + 1] == 'h') ++i;
            else digits += number[i];
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

std::string SmartNum::numberpull(const std::string& bytes, int /*size*/) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string word(2 + 2 * bytes.size(), '0');
    word[0] = '&';
    word[1] = 'h';
    size_t out = 2;
    for (size_t i = bytes.size(); i-- > 0;) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        word[out++] = kDigits[b >> 4];
        word[out++] = kDigits[b & 0xF];
    }
    return word;
}

int32_t SmartNum::CPtr(const std::string& base) {
    const double v = numeric::read(base);
    if (autobank() && v > 0 && v < kImageBase) return numeric::toInt32(v + kImageBase);
    return numeric::toInt32(v);
}

std::string SmartNum::STransLabel(int size) {
    if (size > 0 || size < -13) return {};
    return kLabels[static_cast<size_t>(-size)];
}

int SmartNum::STransLength(int size, int mode) {
    int64_t bytes;
    switch (size) {
        case 0:
        case -7: bytes = 1; break;
        case -1: bytes = 2; break;
        case -2:
        case -3:
        case -8:
        case -9: bytes = 4; break;
        default: bytes = -static_cast<int64_t>(size); break;
    }
    if (mode == 1) bytes *= 2;
    return numeric::toInt16(static_cast<double>(bytes));
}

}  // namespace kestrel
