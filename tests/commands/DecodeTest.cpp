// Bytecode to word and entry lists: raw runs, field widths, modes, and
// termination on any input.
#include <random>

#include "CommandsFixture.h"

namespace kestrel::test {
namespace {

class Decode : public CommandsFixture {
protected:
    Decode() { command("kw", 0x09, {0, 3}); }
};

using Words = std::pair<std::string, std::string>;

TEST_F(Decode, UnclaimedBytesGatherIntoRawWordsOfUpToFourBytes) {
    EXPECT_EQ(decode(bytes({1, 2, 3, 4, 5, 9, 5, 0, 1, 0, 8}), true),
              (Words{" #04030201 #05 kw &h05 &h08000100", ",2,0,kw,0,3"}));
    EXPECT_EQ(decode(bytes({0x0A, 0x0B, 0x0C, 9}), true).first, " #0B0A #0C kw &h &h");
    EXPECT_EQ(decode(bytes({0x0A, 0x0B, 0x0C, 9}), true).second, ",1,0,kw,0,3");
    EXPECT_EQ(decode(bytes({0x0A, 0x0B, 9}), true).second, ",1,kw,0,3");
    EXPECT_EQ(decode(bytes({0x0F, 9}), true).first, " #0F kw &h &h");
}

TEST_F(Decode, TrailingRawRunIsKeptInBufferModeOnly) {
    EXPECT_EQ(decode(bytes({9, 5, 0, 1, 0, 8, 1, 2}), true), (Words{"kw &h05 &h08000100", "kw,0,3"}));
    EXPECT_EQ(decode(bytes({1, 2, 3}), false), (Words{" #0201 #03", ",1,0"}));
}

TEST_F(Decode, PointersAreWordsInImageModeAndPositionsInBufferMode) {
    const std::string data = bytes({9, 5, 0, 1, 0, 8});
    EXPECT_EQ(decode(data, true).first, "kw &h05 &h08000100");
    EXPECT_EQ(decode(data, false).first, "kw &h05 3");
    EXPECT_EQ(decode(bytes({9, 1, 1, 1, 1, 1, 9, 2, 0, 0, 0, 0}), false).first, "kw &h01 3 kw &h02 9");
    EXPECT_EQ(cmds.curcmd().keyword, "kw");
}

TEST_F(Decode, FieldPastTheEndGivesAShortWord) {
    EXPECT_EQ(decode(bytes({9, 5, 0, 1}), true).first, "kw &h05 &h0100");
    EXPECT_EQ(decode(bytes({9}), true).first, "kw &h &h");
}

TEST_F(Decode, EndMarkStopsImageModeOnly) {
    command("end", 0x0E, {0, 4, 0});
    const std::string data = bytes({0x0E, 1, 2, 9, 5, 0, 1, 0, 8});
    EXPECT_EQ(decode(data, true), (Words{"end &h01 ", "end,0"}));
    EXPECT_EQ(decode(data, false), (Words{"end &h01  &h02 kw &h05 6", "end,0,0,kw,0,3"}));
}

TEST_F(Decode, MaskAndCommandParametersShowTheirSpecification) {
    command("call", 0x15, {{7, "next"}, {6, "&hff"}, 1});
    EXPECT_EQ(decode(bytes({0x15, 0x12, 0x77, 3, 0}), true), (Words{"call next &hff &h0003", "call,,,1"}));
}

TEST_F(Decode, BoundCommandsContinueWithoutTheirByte) {
    command("jmp", 0x11, {{0, "bind(1,2)next"}});
    command("next", 0x12, {0, 1});
    EXPECT_EQ(decode(bytes({0x11, 2, 7, 2, 1, 9}), true).first, "jmp &h02 &h07 &h0102 kw &h &h");
    EXPECT_EQ(decode(bytes({0x11, 2, 7, 2, 1}), true).second, "jmp,0,0,1");
    EXPECT_EQ(decode(bytes({0x11, 3, 0x12, 4}), true).first, "jmp &h03 next &h04 &h");
}

TEST_F(Decode, MaskKindLogsPip) {
    command("pm", 0x1A, {{0, "mask(&h05)"}});
    decode(bytes({0x1A, 5}), true);
    EXPECT_TRUE(logged("PIP"));
}

TEST_F(Decode, SelfBoundChainIsCut) {
    command("loop", 0x18, {{0, "bind(*)loop"}});
    const std::string data(100, '\x18');
    const std::string words = decode(data, true).first;
    // One command plus sixteen continuations reads seventeen fields, then a new command starts.
    EXPECT_EQ(
        words.substr(0, 4 + 17 * 5 + 5), "loop" + [] {
            std::string s;
            for (int i = 0; i < 17; ++i) s += " &h18";
            return s;
        }() + " loop");
}

TEST_F(Decode, DefinitionThatReadsNoByteLeavesItRaw) {
    // An alias filed under a code key that reads like a byte, with nothing to read.
    alias("odd", {{4, "1f"}});
    EXPECT_EQ(decode(bytes({0x1F, 0x1F, 9, 5}), true).first, " #1F1F kw &h05 &h");
}

TEST_F(Decode, AnyBytesTerminateInBothModes) {
    command("jmp", 0x11, {{0, "bind(1,2)next"}});
    command("next", 0x12, {0, 1, {0, "bind(*)jmp"}});
    command("end", 0x0E, {4});
    command("sel", 0x10, {{0, "select(1,2)"}, 5, 8, 9, 10, 13});
    command("call", 0x15, {{7, "next"}, {6, "&hff"}});
    command("long", 0x16, {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2});
    alias("odd", {{4, "1f"}});
    alias("go $1", {{7, "kw"}, 0, 3});
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::string data(static_cast<std::size_t>(random() % 1000), '\0');
        for (char& c : data) c = static_cast<char>(random() % 32);
        for (bool image : {true, false}) {
            auto [code, mask] = decode(data, image);
            EXPECT_NO_THROW(cmds.dealias(code, mask)) << hexDump(data);
        }
    }
}

}  // namespace
}  // namespace kestrel::test
