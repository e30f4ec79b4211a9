#include "text/Numeric.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "text/KestrelError.h"
#include "text/TextKit.h"

namespace kestrel::numeric {

namespace {

using textkit::hexDigit;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Walks a text; in lenient mode blanks anywhere are invisible.
class Scanner {
public:
    Scanner(std::string_view text, bool skipBlanks) : text_(text), skip_(skipBlanks) {}

    bool atEnd() {
        settle();
        return pos_ >= text_.size();
    }
    // '\0' at the end; a real NUL byte is no part of any number either.
    char peek() {
        settle();
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }
    void next() { ++pos_; }

private:
    void settle() {
        if (skip_)
            while (pos_ < text_.size() && isBlank(text_[pos_])) ++pos_;
    }

    std::string_view text_;
    size_t pos_ = 0;
    bool skip_;
};

// Small append-only buffer that stays on the stack for ordinary numbers.
class NumberText {
public:
    void push(char c) {
        if (size_ < local_.size()) {
            local_[size_++] = c;
            return;
        }
        if (spill_.empty()) spill_.assign(local_.data(), size_);
        spill_.push_back(c);
        ++size_;
    }
    const char* begin() const { return spill_.empty() ? local_.data() : spill_.data(); }
    const char* end() const { return begin() + size_; }

private:
    std::array<char, 64> local_{};
    std::string spill_;
    size_t size_ = 0;
};

struct Parsed {
    bool formed = false;  // a number was found at the start
    double value = 0;
};

// "&h" or "&o" digits, after the "&" and the letter were consumed. Up to four
// hex digits (six octal digits within 16 bits) read as signed 16-bit, longer
// ones as signed 32-bit; more than 32 significant bits overflow.
Parsed parseRadix(Scanner& in, int radix) {
    uint64_t value = 0;
    int digits = 0;
    for (;;) {
        const char c = in.peek();
        const int d = radix == 16 ? hexDigit(c) : (c >= '0' && c <= '7' ? c - '0' : -1);
        if (d < 0) break;
        value = value * radix + d;
        if (value > 0xFFFFFFFFu) throw OverflowError("number too large");
        ++digits;
        in.next();
    }
    if (digits == 0) return {};
    const bool narrow = radix == 16 ? digits <= 4 : (digits <= 6 && value <= 0xFFFF);
    if (narrow) return {true, static_cast<double>(static_cast<int16_t>(static_cast<uint16_t>(value)))};
    return {true, static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(value)))};
}

Parsed parseDecimal(Scanner& in) {
    NumberText buf;
    bool negative = false;
    if (in.peek() == '+' || in.peek() == '-') {
        negative = in.peek() == '-';
        in.next();
    }
    if (negative) buf.push('-');

    // Whole numbers of up to 18 digits skip the floating-point parser.
    uint64_t whole = 0;
    int mantissaDigits = 0;
    bool simple = true;
    int significantWholeDigits = 0;  // decides overflow against underflow below
    while (isDigit(in.peek())) {
        const char c = in.peek();
        buf.push(c);
        if (mantissaDigits < 18)
            whole = whole * 10 + static_cast<uint64_t>(c - '0');
        else
            simple = false;
        if (c != '0' || significantWholeDigits > 0) ++significantWholeDigits;
        ++mantissaDigits;
        in.next();
    }
    if (in.peek() == '.') {
        in.next();
        buf.push('.');
        while (isDigit(in.peek())) {
            buf.push(in.peek());
            ++mantissaDigits;
            simple = false;
            in.next();
        }
    }
    if (mantissaDigits == 0) return {};

    long exponent = 0;
    const char e = in.peek();
    if (e == 'e' || e == 'E' || e == 'd' || e == 'D') {
        // The exponent only counts when digits follow; otherwise the number
        // ends before the letter. A lookahead copy keeps the scanner intact.
        Scanner probe = in;
        probe.next();
        bool expNegative = false;
        if (probe.peek() == '+' || probe.peek() == '-') {
            expNegative = probe.peek() == '-';
            probe.next();
        }
        if (isDigit(probe.peek())) {
            simple = false;
            buf.push('e');
            if (expNegative) buf.push('-');
            while (isDigit(probe.peek())) {
                buf.push(probe.peek());
                if (exponent < 100000) exponent = exponent * 10 + (probe.peek() - '0');
                probe.next();
            }
            if (expNegative) exponent = -exponent;
            in = probe;
        }
    }

    if (simple) {
        const double v = static_cast<double>(whole);
        return {true, negative ? -v : v};
    }
    double value = 0;
    const auto [ptr, ec] = std::from_chars(buf.begin(), buf.end(), value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as zero; only magnitudes too large are an error.
        if (significantWholeDigits + exponent > 0) throw OverflowError("number too large");
        value = 0;
    }
    if (!std::isfinite(value)) throw OverflowError("number too large");
    return {true, value};
}

Parsed parse(Scanner& in) {
    if (in.peek() == '&') {
        Scanner probe = in;
        probe.next();
        const char kind = probe.peek();
        if (kind == 'h' || kind == 'H' || kind == 'o' || kind == 'O') {
            probe.next();
            in = probe;
            return parseRadix(in, kind == 'h' || kind == 'H' ? 16 : 8);
        }
        return {};
    }
    return parseDecimal(in);
}

// Round half to even; the range check happens after rounding.
double roundHalfEven(double value) {
    const double down = std::floor(value);
    const double diff = value - down;
    if (diff > 0.5) return down + 1;
    if (diff < 0.5) return down;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

template <typename Int>
Int roundTo(double value, const char* typeName) {
    // Whole numbers in range, by far the most common, need no rounding.
    if (value >= static_cast<double>(std::numeric_limits<Int>::min()) &&
        value <= static_cast<double>(std::numeric_limits<Int>::max())) {
        const auto whole = static_cast<Int>(value);
        if (static_cast<double>(whole) == value) return whole;
    }
    if (std::isnan(value)) throw OverflowError(std::string("not a number for ") + typeName);
    const double r = roundHalfEven(value);
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max()))
        throw OverflowError(std::string("value does not fit ") + typeName);
    return static_cast<Int>(r);
}

}  // namespace

double read(std::string_view text) {
    // Plain digits, "&h" digits and words that cannot begin a number are
    // read without the scanner; every other text takes the full path.
    if (!text.empty()) {
        const char first = text[0];
        if (isDigit(first)) {
            if (text.size() <= 18) {
                uint64_t whole = 0;
                size_t i = 0;
                while (i < text.size() && isDigit(text[i])) whole = whole * 10 + static_cast<uint64_t>(text[i++] - '0');
                if (i == text.size()) return static_cast<double>(whole);
            }
        } else if (first == '&') {
            if (text.size() >= 3 && text.size() <= 10 && (text[1] == 'h' || text[1] == 'H')) {
                uint32_t value = 0;
                size_t i = 2;
                for (int d; i < text.size() && (d = hexDigit(text[i])) >= 0; ++i)
                    value = value * 16 + static_cast<uint32_t>(d);
                if (i == text.size()) {
                    if (text.size() <= 6)
                        return static_cast<double>(static_cast<int16_t>(static_cast<uint16_t>(value)));
                    return static_cast<double>(static_cast<int32_t>(value));
                }
            }
        } else if (!isBlank(first) && first != '+' && first != '-' && first != '.') {
            return 0;
        }
    }
    Scanner in(text, true);
    return parse(in).value;
}

double strict(std::string_view text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && (text[first] == ' ' || text[first] == '\t')) ++first;
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) --last;
    Scanner in(text.substr(first, last - first), false);
    const Parsed p = parse(in);
    if (!p.formed || !in.atEnd()) throw TypeMismatchError("\"" + std::string(text) + "\" is not a number");
    return p.value;
}

int16_t toInt16(double value) { return roundTo<int16_t>(value, "a 16-bit integer"); }
int32_t toInt32(double value) { return roundTo<int32_t>(value, "a 32-bit integer"); }
uint8_t toByte(double value) { return roundTo<uint8_t>(value, "a byte"); }

std::string hexText(double value) { return textkit::upperHex(static_cast<uint32_t>(toInt32(value))); }

std::string decimal(int64_t value) {
    char out[24];
    const auto [end, ec] = std::to_chars(out, out + sizeof out, value);
    (void)ec;
    return std::string(out, end);
}

std::string spacedDecimal(int64_t value) { return value < 0 ? decimal(value) : " " + decimal(value); }

}  // namespace kestrel::numeric
