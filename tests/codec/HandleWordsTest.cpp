#include "WrenObjects.h"

namespace wren::test {
namespace {

std::string define(IHandleWords& words, const std::string& phrase, uint8_t column = 0) {
    return words.define(phrase, column);
}

void add(IHandleWords& words, std::string a, std::string b, const std::string& link = "") { words.add(a, b, link); }

TEST(HandleWordsAdd, RewritesHexPrefixesLowerCasesAndReturnsTheStoredWords) {
    auto words = newWords();
    std::string a = "UP", b = "#01";
    words->add(a, b);
    EXPECT_EQ(a, "up");
    EXPECT_EQ(b, "&h01");

    a = "Left", b = "0x1F";
    words->add(a, b, "move[1]");
    EXPECT_EQ(a, "move[1]left");
    EXPECT_EQ(b, "move[1]&h1f");
}

TEST(HandleWordsDefine, KeepsWordsAsWrittenWithoutCodeForm) {
    auto words = newWords();
    add(*words, "UP", "#01");
    // The value stays the word "&h01", not the character with code 1.
    EXPECT_EQ(define(*words, "move UP"), "move &h01 ");
    EXPECT_EQ(words->item("Up", 0), "&h01");
    EXPECT_EQ(words->item("&H01", 1), "up");

    // "1" and "0x31" are different words, not the same character code.
    add(*words, "a", "1");
    add(*words, "b", "0x31");
    EXPECT_EQ(define(*words, "set a b"), "set 1 &h31 ");
    EXPECT_EQ(words->item("1", 1), "a");
    EXPECT_EQ(words->item("&h31", 1), "b");
}

TEST(HandleWordsDefine, ParameterBindingBeatsCommandBindingBeatsGlobal) {
    auto words = newWords();
    add(*words, "up", "9");
    add(*words, "up", "8", "move");
    add(*words, "up", "7", "move[2]");
    EXPECT_EQ(define(*words, "move up up up"), "move 8 7 8 ");
    EXPECT_EQ(define(*words, "look up up"), "look 9 9 ");
    // The command word itself is never translated.
    EXPECT_EQ(define(*words, "up up"), "up 9 ");
}

TEST(HandleWordsDefine, ParameterBoundWordAppliesOnlyAtItsPosition) {
    auto words = newWords();
    add(*words, "up", "1", "move[1]");
    EXPECT_EQ(words->item("move[1]up", 0), "move[1]1");
    EXPECT_EQ(define(*words, "move up"), "move 1 ");
    EXPECT_EQ(define(*words, "move down up"), "move down up ");
    EXPECT_EQ(define(*words, "jump up"), "jump up ");
    // Column 1 translates back.
    EXPECT_EQ(define(*words, "move 1 1", 1), "move up 1 ");
}

TEST(HandleWordsDefine, BoundKeysAreTheCommandAndWordJoined) {
    auto words = newWords();
    add(*words, "up", "8", "Move");
    EXPECT_EQ(define(*words, "MOVE Up"), "MOVE 8 ");
    // A global word that begins with a command's name is that command's
    // bound key too; its value loses as many characters as the name has.
    add(*words, "lookaround", "12345");
    EXPECT_EQ(define(*words, "look around"), "look 5 ");
    EXPECT_EQ(define(*words, "see lookaround"), "see 12345 ");
    add(*words, "seeit", "1");
    EXPECT_EQ(define(*words, "see it"), "see  ");  // the value is shorter than the name

    // A removed pair no longer translates.
    words->Remove("moveup", 0);
    EXPECT_EQ(define(*words, "move up"), "move up ");
}

TEST(HandleWordsDefine, TabsAndRunsOfSpacesSplitLikeSingleSpaces) {
    auto words = newWords();
    add(*words, "up", "#01");
    EXPECT_EQ(define(*words, "\t move \t\tUP   up  "), "move &h01 &h01 ");
    EXPECT_EQ(define(*words, "move"), "move ");
    EXPECT_EQ(define(*words, " \t "), "");
}

TEST(HandleWordsTable, FirstPairWinsEachKeyButLaterPairsServeTheOtherDirection) {
    auto words = newWords();
    add(*words, "x", "#10");
    add(*words, "y", "#10");
    EXPECT_EQ(words->item("&h10", 1), "x");
    EXPECT_EQ(words->item("y", 0), "&h10");

    add(*words, "z", "1");
    add(*words, "Z", "2");
    EXPECT_EQ(words->item("z", 0), "1");
    EXPECT_EQ(words->item("2", 1), "z");
    EXPECT_EQ(words->item("missing", 0), "");
}

TEST(HandleWordsTable, RemoveTakesOutBothKeysAndHandsSharedKeysOn) {
    auto words = newWords();
    add(*words, "x", "#10");
    add(*words, "y", "#10");
    add(*words, "w", "5");
    words->Remove("X", 0);
    EXPECT_EQ(words->item("x", 0), "");
    EXPECT_EQ(words->item("&h10", 1), "y");
    words->Remove("5", 1);
    EXPECT_EQ(words->item("w", 0), "");
    EXPECT_EQ(words->item("5", 1), "");
    words->Remove("nothing", 0);
    EXPECT_EQ(words->item("y", 0), "&h10");
}

}  // namespace
}  // namespace wren::test
