// wren reads the code values of its tables exactly as the engine reads
// numbers: the same texts give the same byte, no byte, or an overflow.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "WrenObjects.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"

namespace wren::test {
namespace {

// What a code value becomes: a byte, a 16-bit code that is no byte (encoded
// as byte 0 with an error), or a value out of the 16-bit range (refused
// when the code name is added).
struct Reading {
    enum Kind { byte, noByte, outOfRange } kind;
    int value = 0;

    bool operator==(const Reading&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Reading& r) {
    if (r.kind == Reading::byte) return out << "byte " << r.value;
    return out << (r.kind == Reading::noByte ? "no byte" : "out of range");
}

Reading byte(int value) { return {Reading::byte, value}; }
const Reading kNoByte{Reading::noByte};
const Reading kOutOfRange{Reading::outOfRange};

// The engine's reading of a text as a 16-bit code.
Reading engineReading(const std::string& text) {
    int16_t code = 0;
    try {
        code = kestrel::numeric::toInt16(kestrel::numeric::read(text));
    } catch (const kestrel::OverflowError&) {
        return kOutOfRange;
    }
    const auto bits = static_cast<uint16_t>(code);
    return bits <= 0xFF ? byte(bits) : kNoByte;
}

// wren's: the text as the value of a code name, then that name encoded.
Reading wrenReading(const std::string& text) {
    auto letters = newLetters();
    std::string marker = "#", slot = "hash";
    letters->add(marker, slot, "ctrl");
    std::string name = "#n", value = text;
    letters->add(name, value, "hash");
    if (letters->bError() != 0) {
        EXPECT_EQ(letters->sLog(), "Error: Code Value Out Of Range: " + text);
        return kOutOfRange;
    }
    const std::string out = letters->encode("#n");
    if (out.size() != 1) {
        ADD_FAILURE() << "one code name gave " << out.size() << " bytes for \"" << text << "\"";
        return kNoByte;
    }
    if (letters->bError() != 0) {
        EXPECT_EQ(out[0], '\0');
        return kNoByte;
    }
    return byte(static_cast<unsigned char>(out[0]));
}

TEST(WrenNumberReading, EdgesReadAsTheEngineReadsThem) {
    const struct {
        const char* text;
        Reading expected;
    } cases[] = {
        // More than 32 bits of hexadecimal, or a decimal beyond a double, overflow.
        {"&h123456789", kOutOfRange},
        {"&h100000000", kOutOfRange},
        {"1e400", kOutOfRange},
        {"-1e400", kOutOfRange},
        {"99999999999999999999", kOutOfRange},
        // Leading zeros count as digits for the width but add no bits.
        {"&h000000041", byte(0x41)},
        {"&h00000000FF", byte(0xFF)},
        {"&o0000000101", byte(0101)},
        {"&o0000177777", kOutOfRange},  // ten octal digits: 32-bit 65535
        {"&o177777", kNoByte},          // six digits within 16 bits: -1
        // Up to four hexadecimal digits are a signed 16-bit number.
        {"&hFF", byte(0xFF)},
        {"&HfF", byte(0xFF)},
        {"&hFFFF", kNoByte},
        {"&h8000", kNoByte},
        {"&h0FFFF", kOutOfRange},  // five digits: 65535, no 16-bit value
        {"&hFFFFFFFF", kNoByte},   // eight digits: -1
        {"&h7FFF", kNoByte},
        {"&h10000", kOutOfRange},
        // Blanks anywhere, the longest prefix, and nothing at all.
        {" 6 5 ", byte(65)},
        {"&h 4\t1", byte(0x41)},
        {"65abc", byte(65)},
        {"abc", byte(0)},
        {"", byte(0)},
        {"&h", byte(0)},
        {"&x12", byte(0)},
        {"-0", byte(0)},
        {"+7", byte(7)},
        // Fractions round half to even; exponents in E or D.
        {"254.5", byte(254)},
        {"255.5", kNoByte},
        {".5e1", byte(5)},
        {"1d2", byte(100)},
        {"1e", byte(1)},
        {"1e+", byte(1)},
        {"1e-400", byte(0)},
        {"32767.4", kNoByte},
        {"32767.5", kOutOfRange},
        {"-32768.5", kNoByte},
        {"-32769", kOutOfRange},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(engineReading(c.text), c.expected) << "engine, \"" << c.text << '"';
        EXPECT_EQ(wrenReading(c.text), c.expected) << "wren, \"" << c.text << '"';
    }
}

// Texts made of the pieces numbers are made of, in any order.
std::string randomNumberText(std::mt19937& rng) {
    static const char* const pieces[] = {"&h", "&H", "&o", "&", "0",  "0",  "1",  "7",  "8",   "9", "F",
                                         "a",  "f",  "g",  ".", "e",  "E",  "d",  "D",  "+",   "-", " ",
                                         "\t", "\n", "x",  "5", "00", "FF", "e3", "e9", "e400"};
    std::uniform_int_distribution<int> length(0, 12);
    std::uniform_int_distribution<std::size_t> piece(0, std::size(pieces) - 1);
    std::string text;
    for (int n = length(rng); n > 0; --n) text += pieces[piece(rng)];
    return text;
}

// "&h"/"&o" or plain digits of any length, so that every width boundary is crossed.
std::string randomDigitText(std::mt19937& rng) {
    static const char* const heads[] = {"&h", "&H", "&o", "", "-", "0"};
    std::uniform_int_distribution<std::size_t> head(0, std::size(heads) - 1);
    std::uniform_int_distribution<int> count(0, 22);
    std::uniform_int_distribution<int> digit(0, 15);
    std::bernoulli_distribution zero(0.3);
    std::string text = heads[head(rng)];
    const bool octal = text == "&o";
    const int base = octal ? 8 : text.starts_with("&") ? 16 : 10;
    for (int n = count(rng); n > 0; --n) text += zero(rng) ? '0' : "0123456789ABCDEF"[digit(rng) % base];
    return text;
}

TEST(WrenNumberReading, SeededSweepAgreesWithTheEngine) {
    std::mt19937 rng(20261207);
    int bytes = 0, others = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::string text = i % 2 == 0 ? randomNumberText(rng) : randomDigitText(rng);
        const Reading engine = engineReading(text);
        ASSERT_EQ(wrenReading(text), engine) << "\"" << text << "\" (case " << i << ")";
        (engine.kind == Reading::byte ? bytes : others) += 1;
    }
    // The sweep is worth something only when it reaches every outcome.
    EXPECT_GT(bytes, 300);
    EXPECT_GT(others, 300);
}

}  // namespace
}  // namespace wren::test
