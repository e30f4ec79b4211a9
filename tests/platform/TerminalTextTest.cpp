#include <gtest/gtest.h>

#include "platform/posix/TerminalText.h"

namespace kestrel {
namespace {

TEST(TerminalTextTest, ControlBytesBecomeVisible) {
    EXPECT_EQ(TerminalText::escape("plain text\twith tab"), "plain text\twith tab");
    EXPECT_EQ(TerminalText::escape("\x1B[2Jcleared"), "\\x1B[2Jcleared");
    EXPECT_EQ(TerminalText::escape(std::string("a\0b\r\n\x7F", 6)), "a\\x00b\\x0D\\x0A\\x7F");
    EXPECT_EQ(TerminalText::escape(""), "");
}

TEST(TerminalTextTest, WellFormedUtf8PassesAndEverythingElseIsEscaped) {
    EXPECT_EQ(TerminalText::escape("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"),
              "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80");
    EXPECT_EQ(TerminalText::escape("\x80"), "\\x80") << "lone continuation byte";
    EXPECT_EQ(TerminalText::escape("\xC0\xAF"), "\\xC0\\xAF") << "overlong form";
    EXPECT_EQ(TerminalText::escape("\xED\xA0\x80"), "\\xED\\xA0\\x80") << "surrogate";
    EXPECT_EQ(TerminalText::escape("\xF4\x90\x80\x80"), "\\xF4\\x90\\x80\\x80") << "above U+10FFFF";
    EXPECT_EQ(TerminalText::escape("\xE2\x82"), "\\xE2\\x82") << "cut short at the end";
    EXPECT_EQ(TerminalText::escape("\xE2\x82z"), "\\xE2\\x82z");
    EXPECT_EQ(TerminalText::escape("\xC2\x9B"
                                   "31m"),
              "\\xC2\\x9B31m")
        << "C1 control (CSI)";
    EXPECT_EQ(TerminalText::escape("\xC2\xA0"), "\xC2\xA0") << "no-break space is printable";
    EXPECT_EQ(TerminalText::escape("\xFF\xFE"), "\\xFF\\xFE");
}

TEST(TerminalTextTest, EscapeLinesKeepsLineBreaks) {
    EXPECT_EQ(TerminalText::escapeLines("one\r\ntwo\nthree\r"), "one\ntwo\nthree\\x0D");
    EXPECT_EQ(TerminalText::escapeLines("\n"), "\n");
    EXPECT_EQ(TerminalText::escapeLines("bell\a\n"), "bell\\x07\n");
}

}  // namespace
}  // namespace kestrel
