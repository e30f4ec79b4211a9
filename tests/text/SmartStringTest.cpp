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

// The tokenizer's rules written out plainly, to hold its fast paths against.
std::string plainScrub(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::vector<std::string> plainSplit(std::string_view source, std::string_view delim) {
    const std::string text = plainScrub(source);
    std::vector<std::string> pieces;
    size_t start = 0;
    for (size_t at = text.find(delim); at != std::string::npos && pieces.size() < 15; at = text.find(delim, start)) {
        pieces.push_back(text.substr(start, at - start));
        start = at + delim.size();
    }
    pieces.push_back(text.substr(start));
    for (size_t i = 0; i < pieces.size(); ++i) {
        std::string& piece = pieces[i];
        if (i + 1 < pieces.size() && piece.size() > 1)
            for (char& c : piece) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        for (size_t at = piece.find("0x"); at != std::string::npos; at = piece.find("0x", at))
            piece.replace(at, 2, "&h");
        for (size_t at = piece.find('#'); at != std::string::npos; at = piece.find('#', at)) piece.replace(at, 1, "&h");
        piece.erase(0, piece.find_first_not_of(' '));
        piece.erase(piece.find_last_not_of(' ') + 1);
    }
    return pieces;
}

TEST(SmartStringScrub, EveryBlankPatternAcrossLongTexts) {
    // Short texts of every mix of letters and blanks, then long ones with one
    // blank pair or tab at each position (the scan reads eight characters at a time).
    std::vector<std::string> texts;
    for (int n = 0; n <= 7; ++n) {
        int total = 1;
        for (int i = 0; i < n; ++i) total *= 3;
        for (int code = 0; code < total; ++code) {
            std::string text;
            for (int i = 0, c = code; i < n; ++i, c /= 3) text += "a \t"[c % 3];
            texts.push_back(text);
        }
    }
    for (size_t length : {8u, 9u, 16u, 17u, 31u, 40u}) {
        std::string base;
        for (size_t i = 0; i < length; ++i) base += i % 3 == 2 && i + 1 < length ? ' ' : 'w';
        texts.push_back(base);
        for (size_t at = 0; at < length; ++at) {
            std::string text = base;
            text[at] = '\t';
            texts.push_back(text);
            text = base;
            text[at] = ' ';
            texts.push_back(text);
        }
    }
    for (const std::string& original : texts) {
        std::string text = original;
        SmartString::KaScrub(text);
        EXPECT_EQ(text, plainScrub(original)) << '"' << original << '"';
        SmartString s;
        s.kaSplit(original, " ");
        const auto pieces = plainSplit(original, " ");
        ASSERT_EQ(s.count() + 1, static_cast<int>(pieces.size())) << '"' << original << '"';
        for (int i = 0; i <= s.count(); ++i) EXPECT_EQ(s.values(i), pieces[static_cast<size_t>(i)]) << original;
    }
}

TEST(SmartStringSplit, MatchesThePlainRules) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"K001 0xAB #CD 0X0x lbl7 ", " "},
        {"  Go\t1 ;  Stop  0x2 ; #F ", ";"},
        {"a0x0xB,#,0#x,X", ","},
        {"One 'Two' Three", "'"},
        {"set 1 = 2 = 3", "="},
        {"AB<>0X1<>#", "<>"},
        {"Long Piece Of Text Beyond Fifteen;Another Long Piece Here", ";"},
    };
    for (const auto& [text, delim] : cases) {
        SmartString s;
        s.kaSplit(text, delim);
        const auto pieces = plainSplit(text, delim);
        ASSERT_EQ(s.count() + 1, static_cast<int>(pieces.size())) << text;
        for (int i = 0; i <= s.count(); ++i) EXPECT_EQ(s.values(i), pieces[static_cast<size_t>(i)]) << text;
    }
}

TEST(SmartStringSplit, AnyOwnSlotAsSource) {
    // Long values live outside the object; the slot read must be written last
    // whichever it is.
    const std::string first = "Alpha Bravo Charlie;Delta Echo Foxtrot;Golf Hotel India";
    for (int slot = 0; slot <= 2; ++slot) {
        SmartString s;
        s.kaSplit(first, ";");
        const std::string source = s.values(slot);
        s.kaSplit(s.values(slot), " ");
        const auto pieces = plainSplit(source, " ");
        ASSERT_EQ(s.count(), 2) << slot;
        for (int i = 0; i <= 2; ++i) EXPECT_EQ(s.values(i), pieces[static_cast<size_t>(i)]) << slot;
    }
    SmartString s;
    s.kaSplit("Zero One Two Three  Four Five Six Seven", " ");
    s.kaSplit(s.values(3), "e");  // a later slot, unscrubbed neighbours
    EXPECT_EQ(s.count(), 2);
    EXPECT_EQ(s.values(0), "thr");
    EXPECT_EQ(s.values(2), "");
}

// kaSplitWords must leave exactly what kaSplit leaves for the joined text.
TEST(SmartStringSplitWords, MatchesSplittingTheJoinedText) {
    const std::vector<std::vector<std::string_view>> lists = {
        {"Cmd"},
        {"A", "B"},
        {"Ab", "0X1f", "#2A", "Cd"},
        {"0x10", "&H20", "##", "0x0x"},
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
        {},      {"a", ""},
        {"a b"}, {"a\tb"},
        {"a,b"}, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16", "17"},
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

TEST(SmartStringSubparm, LastFieldEndsOneCharacterShort) {
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
