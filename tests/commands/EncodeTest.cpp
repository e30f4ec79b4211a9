// Statements to bytecode: lookup, aliases, specifications, layout and log lines.
#include "CommandsFixture.h"
#include "text/KestrelError.h"

namespace kestrel::test {
namespace {

using Encode = CommandsFixture;

TEST_F(Encode, FieldsFollowTheCommandByteLittleEndianWithPointerSlots) {
    command("cmd", 0x2A, {0, 1, 3});
    std::string pointers;
    EXPECT_EQ(encodeHex("cmd 5 &h1234 Target", &pointers, 12), "2A 05 34 12 21 50 54 52");  // "!PTR"
    EXPECT_EQ(pointers, "Target,4,3");
    EXPECT_TRUE(logged("12: Code Command - cmd [2A] "));
    EXPECT_TRUE(logged(" -> 42 5 &h1234 Target"));
    EXPECT_EQ(cmds.curcmd().keyword, "");  // fresh after a finished encoding
}

TEST_F(Encode, UnknownCommandLeavesTheStatementAlone) {
    command("cmd", 1);
    std::string script = "bogus 1 2";
    std::string mask = "untouched";
    EXPECT_FALSE(cmds.encode(script, mask, 3));
    EXPECT_EQ(script, "bogus 1 2");
    EXPECT_EQ(mask, "untouched");
    EXPECT_TRUE(logged("Invalid Command : bogus"));
}

TEST_F(Encode, CommandWithoutParametersIsItsByte) {
    command("nop", 0);
    EXPECT_EQ(encodeHex("nop"), "00");
    EXPECT_TRUE(logged(" -> 0"));
}

TEST_F(Encode, TemplateFindsAnAliasBeforeTheFirstWordFindsACommand) {
    command("cmd", 0x2A, {0, 1, 3});
    command("show", 9, {0});
    EXPECT_EQ(encodeHex("show 5"), "09 05");

    alias("show $1", {{7, "cmd"}, 0});
    console.lines.clear();
    EXPECT_EQ(encodeHex("show 5", nullptr, 4), "2A 05");
    EXPECT_EQ(console.lines, (std::vector<std::string>{"4: Code Alias", "Command   = cmd [2A] ", " -> 42 5"}));
}

TEST_F(Encode, TemplatesAreFoundByTheirFirstWordInAnyCase) {
    command("cmd", 0x2A, {0, 0});
    command("Show", 9, {0});
    alias("SHOW $1 Now", {{7, "cmd"}, 0, {0, "&h01"}});
    EXPECT_EQ(encodeHex("show 5 now"), "2A 05 01");
    EXPECT_EQ(encodeHex("show 5 later"), "09 05");  // no template matches: the keyword does
    EXPECT_EQ(encodeHex("show"), "09");

    // A lone value word has the template form "$1".
    EXPECT_EQ(encodeHex("5"), "");
    alias("$1", {{7, "cmd"}, 0, {0, "&h02"}});
    EXPECT_EQ(encodeHex("5"), "2A 02");  // an alias takes value words after the first only
    EXPECT_EQ(encodeHex("#7 now"), "");  // "$1 $2" names nothing
}

TEST_F(Encode, AliasKeepsOnlyTheValueWordsOfItsPhrase) {
    command("cmd", 0x2A, {0, 0});
    alias("show $1 at $2", {{7, "cmd"}, 0, 0});
    EXPECT_EQ(encodeHex("show 7 at 9"), "2A 07 09");
    EXPECT_TRUE(logged(" -> 42 7 9"));
}

TEST_F(Encode, AliasFixedValuesUseNoWord) {
    command("cmd", 0x2A, {0, 0, 1});
    alias("clear $1", {{7, "cmd"}, {0, "&h00"}, 0, {1, "mask(&h0102)"}});
    EXPECT_EQ(encodeHex("clear 5"), "2A 00 05 02 01");
}

TEST_F(Encode, SelectWritesTheNumberedEntry) {
    command("sel", 0x10, {{0, "select(10,20,30)"}, 0});
    EXPECT_EQ(encodeHex("sel 1 4"), "10 14 04");
    EXPECT_EQ(encodeHex("sel 2 4"), "10 1E 04");
}

TEST_F(Encode, BindPullsInTheBoundCommandsParameters) {
    command("jmp", 0x11, {{0, "bind(1,2)next"}});
    command("next", 0x12, {0, 1});
    console.lines.clear();
    EXPECT_EQ(encodeHex("jmp 2 7 &h0102"), "11 02 07 02 01");
    EXPECT_EQ(console.lines, (std::vector<std::string>{"1: Code Command - jmp [11] ", "1: Code Command - next [12] ",
                                                       " -> 17 2 7 &h0102"}));
    EXPECT_EQ(encodeHex("jmp 3 7"), "11 03");  // no entry matches: nothing bound

    command("any", 0x13, {{0, "bind(*)next"}});
    EXPECT_EQ(encodeHex("any 9 1 2"), "13 09 01 02 00");
}

TEST_F(Encode, SelfBoundCommandEndsWithTheLine) {
    command("loop", 0x18, {{0, "bind(*)loop"}});
    EXPECT_EQ(encodeHex("loop 1 2 3"), "18 01 02 03");
}

TEST_F(Encode, EndMarkEndsTheParameterList) {
    command("stop", 0x14, {0, 4, 0});
    EXPECT_EQ(encodeHex("stop 5 6"), "14 05");
}

TEST_F(Encode, SubCommandWritesItsByteAndLogsIt) {
    command("next", 0x12, {0});
    command("call", 0x15, {{7, "next"}, 0, {7, "&h40"}});
    EXPECT_EQ(encodeHex("call 3"), "15 12 03 40");
    EXPECT_TRUE(logged("Command   = next [12] "));
    EXPECT_EQ(cmds.newcmd().keyword, "");  // the lookup leaves the open definition alone
}

TEST_F(Encode, SubCommandLineIsIndented) {
    platform.logDir = ::testing::TempDir();
    std::string path;
    {
        FileHandle logFiles(platform, "cmdtest");
        path = logFiles.logPath();
        CmdList list(logFiles);
        list.newcmd().keyword = "next";
        list.newcmd().bytecode = 0x12;
        list.add();
        list.newcmd().keyword = "call";
        list.newcmd().bytecode = 0x15;
        list.newcmd().addparm(7, "next");
        list.add();
        std::string script = "call";
        std::string mask;
        ASSERT_TRUE(list.encode(script, mask, 1));
    }
    ASSERT_FALSE(path.empty());
    std::ifstream in(path, std::ios::binary);
    const std::string log((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(log.find("\r\n    - Command   = next [12] \r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\r\n1: Code Command - call [15] \r\n"), std::string::npos) << log;
    std::remove(path.c_str());
}

TEST_F(Encode, EmptyWordsCollapseAndLaterValuesMoveUp) {
    command("gap", 0x17, {{0, "select(1,2)"}, 1});
    // Entry 7 does not exist: the empty word writes nothing and 7 moves into its field.
    EXPECT_EQ(encodeHex("gap 7"), "17 07");
    command("pair", 0x16, {1, 0});
    EXPECT_EQ(encodeHex("pair"), "16");
}

TEST_F(Encode, SeventeenthWordIsAnError) {
    command("many", 0x30, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    std::string script = "many 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16";
    std::string mask;
    EXPECT_THROW(cmds.encode(script, mask, 1), OutOfRangeError);
    EXPECT_EQ(script, "many 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16");
}

TEST_F(Encode, ValueOutOfRangeForItsFieldIsRaised) {
    command("sub", 0x31, {{7, "300"}});
    std::string script = "sub";
    std::string mask;
    EXPECT_THROW(cmds.encode(script, mask, 1), OverflowError);
}

}  // namespace
}  // namespace kestrel::test
