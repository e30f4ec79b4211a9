#include "text/Numeric.h"

#include <gtest/gtest.h>

#include <string>

#include "text/KestrelError.h"

namespace kestrel::numeric {
namespace {

TEST(NumericRead, HexWidthFollowsDigitCount) {
    EXPECT_EQ(read("&hFFFF"), -1);
    EXPECT_EQ(read("&h8000"), -32768);
    EXPECT_EQ(read("&H7fff"), 32767);
    EXPECT_EQ(read("&h0FFFF"), 65535);  // five digits: 32-bit
    EXPECT_EQ(read("&h8001234"), 134222388);
    EXPECT_EQ(read("&hFFFFFFFF"), -1);
    EXPECT_EQ(read("&h80000000"), -2147483648.0);
    EXPECT_EQ(read("&h00000000FF"), 255);  // leading zeros are not significant
    EXPECT_THROW(read("&h100000000"), OverflowError);
}

TEST(NumericRead, HexStopsAtFirstNonHexCharacter) {
    EXPECT_EQ(read("&h1G"), 1);
    EXPECT_EQ(read("&h"), 0);
    EXPECT_EQ(read("&hZZ"), 0);
    EXPECT_EQ(read("&x12"), 0);
}

TEST(NumericRead, Octal) {
    EXPECT_EQ(read("&o17"), 15);
    EXPECT_EQ(read("&O177777"), -1);
    EXPECT_EQ(read("&o200000"), 65536);
    EXPECT_EQ(read("&o19"), 1);
    EXPECT_THROW(read("&o77777777777"), OverflowError);
}

TEST(NumericRead, DecimalTakesLongestPrefix) {
    EXPECT_EQ(read("12abc"), 12);
    EXPECT_EQ(read("abc"), 0);
    EXPECT_EQ(read(""), 0);
    EXPECT_EQ(read("-5"), -5);
    EXPECT_EQ(read("+7"), 7);
    EXPECT_EQ(read(".5"), 0.5);
    EXPECT_EQ(read("1.25.3"), 1.25);
    EXPECT_EQ(read("2E3"), 2000);
    EXPECT_EQ(read("2d-1"), 0.2);
    EXPECT_EQ(read("3e"), 3);  // an exponent needs digits
    EXPECT_EQ(read("3e+x"), 3);
    EXPECT_EQ(read("--5"), 0);
    EXPECT_EQ(read("12345678901234567890"), 12345678901234567890.0);
    EXPECT_THROW(read("1e400"), OverflowError);
    EXPECT_EQ(read("1e-400"), 0);
}

TEST(NumericRead, BlanksTabsAndLineFeedsAreIgnoredAnywhere) {
    EXPECT_EQ(read(" 1 2\t3\n"), 123);
    EXPECT_EQ(read("- 4"), -4);
    EXPECT_EQ(read("& h 1F"), 31);
    EXPECT_EQ(read("\r5"), 0);  // carriage return is not a blank
}

// A leading blank sends a text through the full scanner: the shortcuts for
// plain digits, "&h" digits and words must read the same.
TEST(NumericRead, ShortcutsAgreeWithTheScanner) {
    for (const char* text : {"0",
                             "7",
                             "0042",
                             "123456789012345678",
                             "1234567890123456789",
                             "12abc",
                             "&h1",
                             "&h1234",
                             "&hFFFF",
                             "&H8000",
                             "&h0FFFF",
                             "&h12345678",
                             "&hFFFFFFFF",
                             "&h12G",
                             "&h",
                             "&o17",
                             "lbl17",
                             "$1",
                             "-5",
                             "+5",
                             ".5",
                             "5e2",
                             "1.5",
                             "k017"}) {
        EXPECT_EQ(read(text), read(std::string(" ") + text)) << text;
    }
    EXPECT_EQ(read("&hFFFF"), -1);
    EXPECT_EQ(read("&h0FFFF"), 65535);
    EXPECT_EQ(read("lbl17"), 0);
    EXPECT_THROW(read("&h123456789"), OverflowError);
}

TEST(NumericStrict, WholeTextMustBeANumber) {
    EXPECT_EQ(strict(" 42 "), 42);
    EXPECT_EQ(strict("&h1F"), 31);
    EXPECT_EQ(strict("-1.5e1"), -15);
    EXPECT_THROW(strict(""), TypeMismatchError);
    EXPECT_THROW(strict("3a"), TypeMismatchError);
    EXPECT_THROW(strict("1 2"), TypeMismatchError);
    EXPECT_THROW(strict("&h"), TypeMismatchError);
    EXPECT_THROW(strict("$3"), TypeMismatchError);
}

TEST(NumericRounding, HalvesGoToEvenNeighbour) {
    EXPECT_EQ(toInt16(2.5), 2);
    EXPECT_EQ(toInt16(3.5), 4);
    EXPECT_EQ(toInt16(-2.5), -2);
    EXPECT_EQ(toInt16(2.51), 3);
    EXPECT_EQ(toInt32(-0.5), 0);
    EXPECT_EQ(toInt16(-32768.5), -32768);
    EXPECT_THROW(toInt16(32767.5), OverflowError);
    EXPECT_THROW(toInt16(-32769), OverflowError);
    EXPECT_EQ(toInt32(2147483647), 2147483647);
    EXPECT_THROW(toInt32(2147483648.0), OverflowError);
    EXPECT_EQ(toByte(255.4), 255);
    EXPECT_THROW(toByte(-1), OverflowError);
}

TEST(NumericFormat, HexAndDecimalTexts) {
    EXPECT_EQ(hexText(-1), "FFFFFFFF");
    EXPECT_EQ(hexText(0), "0");
    EXPECT_EQ(hexText(26), "1A");
    EXPECT_EQ(hexText(255.5), "100");
    EXPECT_THROW(hexText(4294967295.0), OverflowError);
    EXPECT_EQ(decimal(-12), "-12");
    EXPECT_EQ(spacedDecimal(4096), " 4096");
    EXPECT_EQ(spacedDecimal(0), " 0");
    EXPECT_EQ(spacedDecimal(-7), "-7");
}

}  // namespace
}  // namespace kestrel::numeric
