#include "text/SmartString.h"

#include <gtest/gtest.h>

#include "text/KestrelError.h"

namespace kestrel {
namespace {

TEST(SmartStringScrub, CollapsesBlanksAndTrims) {
    std::string line = "  cmd\t\t 1    2  ";
    SmartString::KaScrub(line);
    EXPECT_EQ(line, "cmd 1 2");
    std::string blanks = " \t ";
    SmartString::KaScrub(blanks);
    EXPECT_EQ(blanks, "");
}

TEST(SmartStringTrim, BlankLineChangesNothing) {
    SmartString s;
    std::string first = "#boot x";
    s.kaTrim(first);
    for (std::string line : {std::string(), std::string("  \t ")}) {
        s.kaTrim(line);
        EXPECT_EQ(s.vDirective, "#");
        EXPECT_EQ(s.values(0), "boot x");
    }
}

TEST(SmartStringTrim, CommentLines) {
    SmartString s;
    std::string line = "'note";
    s.kaTrim(line);
    EXPECT_EQ(s.vDirective, "'");
    EXPECT_EQ(s.vComment, "note");
    EXPECT_EQ(line, "");

    line = "=== section";
    s.kaTrim(line);
    EXPECT_EQ(s.vDirective, "=");
    EXPECT_EQ(s.vComment, "== section");
}

TEST(SmartStringTrim, MarkerBoundIs65AndHexLines) {
    SmartString s;
    std::string line = "&h1A2B";
    s.kaTrim(line);
    EXPECT_EQ(s.vDirective, "#");
    EXPECT_EQ(s.values(0), "1A2B");

    line = "&H1A";
    s.kaTrim(line);
    EXPECT_EQ(s.vDirective, "&");
    EXPECT_EQ(s.values(0), "H1A");

    line = "Add 5";
    s.kaTrim(line);
    EXPECT_EQ(s.vDirective, "A");
    EXPECT_EQ(s.values(0), "dd 5");

    line = "Bdd 5";
    s.kaTrim(line);
    EXPECT_EQ(s.vDirective, "");
    EXPECT_EQ(s.values(0), "Bdd 5");

    line = "\xE9t\xE9";  // bytes above 127 are letters, not markers
    s.kaTrim(line);
    EXPECT_EQ(s.vDirective, "");
}

TEST(SmartStringTrim, InlineComments) {
    SmartString s;
    std::string line = "Org 100 ' Start here";
    s.kaTrim(line);
    EXPECT_EQ(s.values(0), "org 100");
    EXPECT_EQ(s.values(1), "Start here");
    EXPECT_EQ(s.count(), 1);
    EXPECT_EQ(s.vComment, "'Start here");
    EXPECT_EQ(line, "Org 100 ' Start here");

    line = "x 1 = first = second";
    s.kaTrim(line);
    EXPECT_EQ(s.vComment, "=first");
    EXPECT_EQ(s.values(2), "second");

    line = "msg 5'";
    s.kaTrim(line);
    EXPECT_EQ(s.values(0), "msg 5'");
    EXPECT_EQ(s.count(), 2);  // untouched
}

TEST(SmartStringSplit, CaseRulesAndHexPrefixes) {
    SmartString s;
    s.kaSplit("A,B,C", ",");
    EXPECT_EQ(s.count(), 2);
    EXPECT_EQ(s.values(0) + s.values(1) + s.values(2), "ABC");
    s.kaSplit("Ab,Cd,Ef", ",");
    EXPECT_EQ(s.values(0), "ab");
    EXPECT_EQ(s.values(1), "cd");
    EXPECT_EQ(s.values(2), "Ef");

    s.kaSplit("0x10 #20 &h30 0X40 #", " ");
    EXPECT_EQ(s.values(0), "&h10");
    EXPECT_EQ(s.values(1), "&h20");
    EXPECT_EQ(s.values(2), "&h30");
    EXPECT_EQ(s.values(3), "&h40");  // lower-cased first, then rewritten
    EXPECT_EQ(s.values(4), "&h");

    s.kaSplit("a,,b", ",");
    EXPECT_EQ(s.count(), 2);
    EXPECT_EQ(s.values(1), "");
    s.kaSplit("", ",");
    EXPECT_EQ(s.count(), 0);
    EXPECT_EQ(s.values(0), "");
    EXPECT_EQ(s.values(1), "");  // stale slots are kept
}

TEST(SmartStringSplit, SixteenthPieceTakesTheRest) {
    SmartString s;
    std::string text = "p0";
    for (int i = 1; i <= 20; ++i) text += ",p" + std::to_string(i);
    s.kaSplit(text, ",");
    EXPECT_EQ(s.count(), 15);
    EXPECT_EQ(s.values(14), "p14");
    EXPECT_EQ(s.values(15), "p15,p16,p17,p18,p19,p20");

    s.kaSplit("ab<>CD<>Ef", "<>");  // multi-character delimiter
    EXPECT_EQ(s.values(1), "cd");
    s.kaSplit("abc", "");  // empty delimiter ends, remainder in slot 15
    EXPECT_EQ(s.count(), 15);
    EXPECT_EQ(s.values(15), "abc");
}

TEST(SmartStringStandard, ValueWordsBecomePlaceholders) {
    SmartString s;
    s.kaSplit("cmd 0 $3 abc -1", " ");
    s.kaStandard();
    EXPECT_EQ(s.vStandard, "cmd $1 $2 abc -1");
    s.kaSplit("cmd &h8000 5 3rd 00 0.0 &H10", " ");
    s.kaStandard();
    EXPECT_EQ(s.vStandard, "cmd $1 $2 $3 00 0.0 $4");
}

TEST(SmartStringValue, PointCheckGatesDollar) {
    EXPECT_TRUE(SmartString::isvalue("$1", true));
    EXPECT_FALSE(SmartString::isvalue("$1", false));
    EXPECT_TRUE(SmartString::isvalue("&hZZ", false));
    EXPECT_FALSE(SmartString::isvalue("", false));
}

TEST(SmartStringSubparm, HistoricalOffByOne) {
    SmartString s;
    s.setCount(3);
    EXPECT_EQ(s.kasubparm("(a,b,c)", ",", 0), "(a");
    EXPECT_EQ(s.count(), 0);
    EXPECT_EQ(s.kasubparm("(a,b,c)", ",", 1), "b");
    EXPECT_EQ(s.kasubparm("(a,b,c)", ",", 2), "c");
    EXPECT_EQ(s.kasubparm("abc", ",", 0), "ab");
    EXPECT_EQ(s.kasubparm("a,bc", ",", 3), "b");  // a missing delimiter restarts the search
    EXPECT_THROW(s.kasubparm("a,", ",", 1), OutOfRangeError);
    EXPECT_THROW(s.kasubparm("", "", 1), OutOfRangeError);
}

TEST(SmartStringSlots, RangeErrorsAndConcat) {
    SmartString s;
    s.kaSplit("a b c", " ");
    EXPECT_THROW(s.values(16), OutOfRangeError);
    EXPECT_THROW(s.setValues(-1, "x"), OutOfRangeError);
    s.setCount(3);
    s.setValues(3, "d");
    EXPECT_TRUE(s.docount(3));
    std::string joined = ">";
    s.concat(joined, 1, 3);
    EXPECT_EQ(joined, ">bcd");
    s.concat(joined, 3, 1);
    EXPECT_EQ(joined, ">bcd");
    EXPECT_THROW(s.concat(joined, 14, 16), OutOfRangeError);
    EXPECT_EQ(joined, ">bcd");  // nothing appended on error
    EXPECT_THROW(s.setCount(40000), OverflowError);
}

}  // namespace
}  // namespace kestrel
