#include <gtest/gtest.h>

#include "engine/ForwardedLine.h"

namespace kestrel {
namespace {

TEST(ForwardedCommandLine, TailKeepsQuotesAndInnerSpaces) {
    EXPECT_EQ(ForwardedLine::commandLineTail("kestrel.exe #boot lumen;#encode \"my file.ksc\""),
              "#boot lumen;#encode \"my file.ksc\"");
    EXPECT_EQ(ForwardedLine::commandLineTail("\"C:\\Program Files\\kestrel.exe\"  \t #whoami  "), "#whoami  ");
    EXPECT_EQ(ForwardedLine::commandLineTail("\"C:\\a b\\kestrel.exe\"#whoami"), "#whoami");
}

TEST(ForwardedCommandLine, NoArgumentsGiveNothing) {
    EXPECT_EQ(ForwardedLine::commandLineTail(""), "");
    EXPECT_EQ(ForwardedLine::commandLineTail("kestrel.exe"), "");
    EXPECT_EQ(ForwardedLine::commandLineTail("kestrel.exe   "), "");
    EXPECT_EQ(ForwardedLine::commandLineTail("\"unclosed quote kestrel.exe"), "");
}

TEST(ForwardedRecord, AGoodRecordConvertsWhole) {
    const char16_t line[] = u"#boot lumen;#decode \"a b.buf\"";
    auto text = ForwardedLine::fromRecord(0, sizeof line - 2, line);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, u"#boot lumen;#decode \"a b.buf\"");
    // Unaligned data is read byte for byte.
    unsigned char raw[5] = {0xEE, 'A', 0, 0xE9, 0};
    text = ForwardedLine::fromRecord(0, 4, raw + 1);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, u"A\u00E9");
}

TEST(ForwardedRecord, CraftedRecordsAreRefused) {
    const char16_t line[] = u"#whoami";
    EXPECT_FALSE(ForwardedLine::fromRecord(1, 14, line)) << "another tag";
    EXPECT_FALSE(ForwardedLine::fromRecord(0, 13, line)) << "odd size";
    EXPECT_FALSE(ForwardedLine::fromRecord(0, 0, line)) << "empty";
    EXPECT_FALSE(ForwardedLine::fromRecord(0, 14, nullptr)) << "no data";
    EXPECT_FALSE(ForwardedLine::fromRecord(0, 16, line)) << "the terminator is a NUL inside";
    EXPECT_FALSE(ForwardedLine::fromRecord(0, ForwardedLine::kMaxBytes + 2, line)) << "huge, refused before reading";
    const char16_t inner[] = u"a\0b";
    EXPECT_FALSE(ForwardedLine::fromRecord(0, 6, inner));
}

}  // namespace
}  // namespace kestrel
