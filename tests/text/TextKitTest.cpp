#include "text/TextKit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <unordered_map>

namespace kestrel::textkit {
namespace {

TEST(TextKitHex, DigitsInEitherCaseAndNothingElse) {
    const std::string digits = "0123456789abcdefABCDEF";
    for (std::size_t i = 0; i < digits.size(); ++i)
        EXPECT_EQ(hexDigit(digits[i]), i < 16 ? static_cast<int>(i) : static_cast<int>(i) - 6) << digits[i];
    // The neighbours of each digit range, and bytes above 127.
    for (const char c : {'/', ':', '@', 'G', '`', 'g', 'x', ' ', '\0', '\xC1', '\xFF'})
        EXPECT_EQ(hexDigit(c), -1) << int(c);
    EXPECT_EQ(upperHexDigit(10), 'A');
    EXPECT_EQ(upperHexDigit(0x1F), 'F');  // only the low four bits count
    EXPECT_EQ(lowerHexDigit(0xB), 'b');
    std::string pair = "x";
    appendHexPair(pair, 0x0A);
    appendHexPair(pair, 0xFF);
    EXPECT_EQ(pair, "x0AFF");
}

TEST(TextKitHex, UpperHexHasNoLeadingZerosButThePadding) {
    EXPECT_EQ(upperHex(0), "0");
    EXPECT_EQ(upperHex(0xABC), "ABC");
    EXPECT_EQ(upperHex(5, 2), "05");
    EXPECT_EQ(upperHex(0x1234, 2), "1234");  // padding never cuts
    EXPECT_EQ(upperHex(0, 4), "0000");
    EXPECT_EQ(upperHex(UINT64_MAX), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(upperHex(0xFFFFFFFFu), "FFFFFFFF");
}

TEST(TextKitHex, ValueOfDigitTextsSaturates) {
    uint64_t value = 7;
    EXPECT_FALSE(hexValue("", value));
    EXPECT_FALSE(hexValue("1g", value));
    EXPECT_FALSE(hexValue(" 1", value));
    EXPECT_FALSE(hexValue("&h1", value));
    EXPECT_EQ(value, 7u) << "a failed reading leaves the value alone";
    ASSERT_TRUE(hexValue("fF", value));
    EXPECT_EQ(value, 255u);
    ASSERT_TRUE(hexValue("000000000000000000005", value));  // leading zeros are no size
    EXPECT_EQ(value, 5u);
    ASSERT_TRUE(hexValue("FFFFFFFFFFFFFFFF", value));
    EXPECT_EQ(value, UINT64_MAX);
    ASSERT_TRUE(hexValue("10000000000000000", value));
    EXPECT_EQ(value, UINT64_MAX);
    ASSERT_TRUE(hexValue("123456789ABCDEF0123", value));
    EXPECT_EQ(value, UINT64_MAX);
    EXPECT_TRUE(isHexText("0aF9"));
    EXPECT_FALSE(isHexText(""));
    EXPECT_FALSE(isHexText("12 "));
}

TEST(TextKitCase, AsciiOnlyAndBytesSurvive) {
    EXPECT_EQ(lower("AbC\xC4"), "abc\xC4");
    EXPECT_EQ(upper("aBc\xE4"), "ABC\xE4");
    EXPECT_EQ(lower("@[`{"), "@[`{");  // the neighbours of A-Z and a-z
    EXPECT_EQ(upper("@[`{"), "@[`{");
    std::string text = std::string("ZAP\0Q", 5);
    lowerInPlace(text);
    EXPECT_EQ(text, std::string("zap\0q", 5));
    EXPECT_TRUE(equalsIgnoreCase("Main.Loop", "main.LOOP"));
    EXPECT_TRUE(equalsIgnoreCase("", ""));
    EXPECT_FALSE(equalsIgnoreCase("abc", "abd"));
    EXPECT_FALSE(equalsIgnoreCase("abc", "ab"));
    EXPECT_FALSE(equalsIgnoreCase("\xC4", "\xE4")) << "no locale folds bytes above 127";
    EXPECT_FALSE(equalsIgnoreCase("[", "{"));
}

TEST(TextKitCase, FoldedMapFindsAnyCase) {
    const FoldedHash hash;
    EXPECT_EQ(hash("Label.One"), hash("lABEL.oNE"));
    EXPECT_NE(hash("ab"), hash("ba"));
    EXPECT_NE(hash("a"), hash(std::string_view("a\0", 2)));

    std::unordered_map<std::string, int, FoldedHash, FoldedEqual> map;
    map.emplace("Start", 1);
    EXPECT_FALSE(map.emplace("START", 2).second);
    const std::string_view probe = "sTaRt";
    ASSERT_NE(map.find(probe), map.end());
    EXPECT_EQ(map.find(probe)->second, 1);
    EXPECT_EQ(map.find(std::string_view("Star")), map.end());
}

TEST(TextKitReplace, EveryOccurrenceOnceLeftToRight) {
    const struct {
        const char* text;
        const char* from;
        const char* to;
        const char* expected;
    } cases[] = {
        {"a; b; c", "; ", "\r\n", "a\r\nb\r\nc"},
        // A replacement is not searched again, so a growing one ends.
        {"#1 #2", "#", "&h#", "&h#1 &h#2"},
        {"aaaa", "aa", "a", "aa"},
        // Of overlapping candidates the leftmost wins.
        {"0x0x0", "x0", "!", "0!!"},
        {"&h1F", "", "x", "&h1F"},
        {"&h1F", "0x", "&h", "&h1F"},
        {"&h1F", "&h1F", "", ""},
        {"", "a", "b", ""},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        replaceAll(text, c.from, c.to);
        EXPECT_EQ(text, c.expected) << '"' << c.text << "\" \"" << c.from << '"';
    }
}

}  // namespace
}  // namespace kestrel::textkit
