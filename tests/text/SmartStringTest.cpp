#include "text/SmartString.h"

#include <gtest/gtest.h>

#include <string_view>
#include <utility>
#include <vector>

#include "text/KestrelError.h"

namespace kestrel {
namespace {

TEST(SmartStringScrub, CleanTextsStayAndTheFirstChangeIsFound) {
    for (const std::string clean : {"", "a", "a b", "go 1 2 &h3"}) {
        std::string text = clean;
        SmartString::KaScrub(text);
        EXPECT_EQ(text, clean);
    }
    const std::vector<std::pair<std::string, std::string>> cases = {
        {" a", "a"}, {"a ", "a"}, {"a  b", "a b"}, {"ab c\td", "ab c d"}, {"ab c \t d ", "ab c d"}, {" ", ""},
    };
    for (const auto& [in, out] : cases) {
        std::string text = in;
        SmartString::KaScrub(text);
        EXPECT_EQ(text, out) << in;
    }
}

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

    // Only a " =" makes "=" the marker; the text is then cut at every "=".
    line = "x=1 a= 2 =3";
    s.kaTrim(line);
    EXPECT_EQ(s.vComment, "=1 a");
    line = "x=1 'a =2";
    s.kaTrim(line);
    EXPECT_EQ(s.vComment, "'a =2");
    line = "x=1 a=2";
    s.kaTrim(line);
    EXPECT_EQ(s.vComment, "");
    EXPECT_EQ(s.values(0), "x=1 a=2");
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

TEST(SmartStringSplit, OwnValueAsSource) {
    SmartString s;
    s.kaSplit("Go 1;Stop 0x2", " ");
    s.kaSplit(s.values(1), ";");
    EXPECT_EQ(s.count(), 1);
    EXPECT_EQ(s.values(0), "1");
    EXPECT_EQ(s.values(1), "stop");  // lower-cased by the first split
}

// kaSplitWords must leave exactly what kaSplit leaves for the joined text.
TEST(SmartStringSplitWords, MatchesSplittingTheJoinedText) {
    const std::vector<std::vector<std::string_view>> lists = {
        {"Cmd"}, {"A", "B"}, {"Ab", "0X1f", "#2A", "Cd"}, {"0x10", "&H20", "##", "0x0x"},
        {"p0", "p1", "p2", "p3", "p4", "p5", "p6", "p7", "p8", "p9", "pA", "pB", "pC", "pD", "pE", "PF"},
    };
    for (const char delim : {' ', ','}) {
        for (const auto& words : lists) {
            std::string joined;
            for (std::string_view w : words) joined.append(joined.empty() ? "" : std::string(1, delim)).append(w);
            SmartString bySplit;
            SmartString byWords;
            bySplit.kaSplit(joined, std::string(1, delim));
            ASSERT_TRUE(byWords.kaSplitWords(words, delim)) << joined;
            EXPECT_EQ(byWords.count(), bySplit.count()) << joined;
            for (int i = 0; i <= bySplit.count(); ++i) EXPECT_EQ(byWords.values(i), bySplit.values(i)) << joined;
        }
    }
}

TEST(SmartStringSplitWords, RefusesListsThatSplittingWouldChange) {
    SmartString s;
    s.kaSplit("keep me", " ");
    const std::vector<std::vector<std::string_view>> refused = {
        {}, {"a", ""}, {"a b"}, {"a\tb"}, {"a,b"},
        {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16", "17"},
    };
    for (const auto& words : refused) EXPECT_FALSE(s.kaSplitWords(words, words.size() == 1 ? ',' : ' '));
    EXPECT_EQ(s.count(), 1);
    EXPECT_EQ(s.values(0), "keep");
    EXPECT_EQ(s.values(1), "me");
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
