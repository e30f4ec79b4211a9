#include <gtest/gtest.h>

#include "console/ConsoleText.h"

namespace kestrel {
namespace {

TEST(ConsoleEnterLine, LastLineGoesWithoutLineBreak) {
    const std::string text = "WELCOME\r\n#boot lumen";
    EXPECT_EQ(ConsoleText::enterLine(text, text.size()), "#boot lumen");
    EXPECT_EQ(ConsoleText::enterLine(text, 9), "#boot lumen") << "caret at the start of the last line";
}

TEST(ConsoleEnterLine, EarlierLineKeepsItsClosingPair) {
    const std::string text = "ab\r\ncd";
    EXPECT_EQ(ConsoleText::enterLine(text, 2), "ab\r\n") << "caret after the b";
    EXPECT_EQ(ConsoleText::enterLine(text, 4), "cd") << "caret before the c";
    EXPECT_EQ(ConsoleText::enterLine(text, 1), "ab\r\n");
    EXPECT_EQ(ConsoleText::enterLine("one\r\ntwo\r\nthree", 6), "two\r\n");
}

TEST(ConsoleEnterLine, EdgesOfTheText) {
    EXPECT_EQ(ConsoleText::enterLine("", 0), "");
    EXPECT_EQ(ConsoleText::enterLine("ab\r\ncd", 0), "ab\r\n") << "caret at the very start takes the first line";
    EXPECT_EQ(ConsoleText::enterLine("ab", 99), "ab") << "a caret beyond the end counts as the end";
    EXPECT_EQ(ConsoleText::enterLine("ab\r\n", 4), "") << "the empty last line";
    EXPECT_EQ(ConsoleText::enterLine("a\rb\nc", 5), "a\rb\nc") << "lone CR and LF do not end a line";
    EXPECT_EQ(ConsoleText::enterLine("\r\n\r\n", 2), "\r\n");
}

TEST(ConsoleTabStop, TwiceTheWidthInCharactersRoundedHalfToEven) {
    EXPECT_EQ(ConsoleText::tabStop(2400), 40);
    EXPECT_EQ(ConsoleText::tabStop(0), 0);
    EXPECT_EQ(ConsoleText::tabStop(180), 4) << "1.5 characters round to 2";
    EXPECT_EQ(ConsoleText::tabStop(300), 4) << "2.5 characters round to 2";
    EXPECT_EQ(ConsoleText::tabStop(419), 6);
    EXPECT_EQ(ConsoleText::tabStop(421), 8);
}

TEST(ConsoleDisplay, NulAndLoneBreaksShowSanely) {
    EXPECT_EQ(ConsoleText::forDisplay(std::string("a\0b", 3)), "a b");
    EXPECT_EQ(ConsoleText::forDisplay("a\rb\nc\r\nd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(ConsoleText::forDisplay("\r"), "\r\n");
    EXPECT_EQ(ConsoleText::forDisplay("\xFF\t"), "\xFF\t");
}

}  // namespace
}  // namespace kestrel
