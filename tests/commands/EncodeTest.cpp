// Statements to bytecode: lookup, aliases, specifications, layout and log lines.
#include "CommandsFixture.h"
#include "commands/FieldFit.h"
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
    EXPECT_THROW(encodeHex("show"), FormatError);   // found by the keyword, but its value is missing

    // A lone value word has the template form "$1".
    EXPECT_EQ(encodeHex("5"), "");
    alias("$1", {{7, "cmd"}, {0, "&h02"}, {0, "&h03"}});
    EXPECT_EQ(encodeHex("5"), "2A 02 03");  // an alias takes value words after the first only
    EXPECT_EQ(encodeHex("#7 now"), "");     // "$1 $2" names nothing
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
        CmdList list(logFiles.log(), autobank);
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

// The message of the error that encoding `statement` raises; "" when none.
std::string encodeError(CmdList& cmds, const std::string& statement) {
    std::string script = statement;
    std::string mask = "untouched";
    try {
        cmds.encode(script, mask, 1);
    } catch (const FormatError& error) {
        EXPECT_EQ(script, statement);  // nothing compiled
        EXPECT_EQ(mask, "untouched");
        return error.what();
    }
    return "";
}

TEST_F(Encode, MissingWordsAreNamedAndCompileNothing) {
    command("trio", 0x40, {1, 0, {0, "0x55"}});
    EXPECT_EQ(encodeError(cmds, "trio 5"), "missing parameter 2 of 'trio'");
    EXPECT_EQ(encodeError(cmds, "trio"), "missing parameter 1 of 'trio'");
    command("go", 0x41, {3});
    EXPECT_EQ(encodeError(cmds, "go"), "missing parameter 1 of 'go'");
    command("sel", 0x42, {{0, "select(1,2)"}});
    EXPECT_EQ(encodeError(cmds, "sel"), "missing parameter 1 of 'sel'");
    // An entry that binds a command needs the words of that command too.
    command("jmp", 0x11, {{0, "bind(1,2)next"}});
    command("next", 0x12, {0, 1});
    EXPECT_EQ(encodeError(cmds, "jmp"), "missing parameter 1 of 'jmp'");
    EXPECT_EQ(encodeError(cmds, "jmp 2 7"), "missing parameter 3 of 'jmp'");
    EXPECT_EQ(encodeHex("jmp 3"), "11 03");  // no entry matches: nothing more is needed
    // Aliases count the words of their phrase.
    command("cmd", 0x2A, {0, 0});
    alias("show $1 at $2", {{7, "cmd"}, 0, 0, 0});
    EXPECT_EQ(encodeError(cmds, "show 7 at 9"), "missing parameter 3 of 'show'");
}

TEST_F(Encode, StarChainEndsWithTheLineWithoutMissingWords) {
    command("next", 0x12, {0, 1});
    command("any", 0x13, {{0, "bind(*)next"}});
    EXPECT_EQ(encodeHex("any 9"), "13 09");
    EXPECT_EQ(encodeError(cmds, "any 9 1"), "missing parameter 3 of 'any'");
}

TEST_F(Encode, WordsAParameterCannotTakeAreNamed) {
    command("sel", 0x10, {{0, "select(10,20,30)"}, 0});
    EXPECT_EQ(encodeError(cmds, "sel sideways 4"), "'sideways' is not a value for parameter 1 of 'sel'");
    EXPECT_EQ(encodeError(cmds, "sel 3 4"), "'3' is not a value for parameter 1 of 'sel'");  // one past the list
    EXPECT_EQ(encodeHex("sel 2 4"), "10 1E 04");
    command("put", 0x20, {0, 1, 2});
    EXPECT_EQ(encodeError(cmds, "put 1 2 &hZZ"), "'&hZZ' is not a value for parameter 3 of 'put'");
    EXPECT_EQ(encodeError(cmds, "put 1 3rd 2"), "'3rd' is not a value for parameter 2 of 'put'");
    EXPECT_EQ(encodeError(cmds, "put &h 1 2"), "'&h' is not a value for parameter 1 of 'put'");
    EXPECT_EQ(encodeHex("put -1 1.5 &o17"), "20 FF 02 00 0F 00 00 00");
    command("jmp", 0x11, {{0, "bind(1,2)next"}});
    EXPECT_EQ(encodeError(cmds, "jmp left"), "'left' is not a value for parameter 1 of 'jmp'");
    // Pointer fields take label names; user parameters take "$" words.
    command("go", 0x41, {3, 0});
    EXPECT_EQ(encodeHex("go Somewhere $1"), "41 21 50 54 52 31 31");
}

TEST_F(Encode, NumbersTooLargeForTheirFieldWarnAndKeepTheirBytes) {
    command("put", 0x20, {0, 1, 2});
    EXPECT_THROW(encodeHex("put 1 2 4294967296"), OverflowError);  // past 32 bits: still an error
    EXPECT_EQ(encodeHex("put 255 &hFFFF &hFFFFFFFF"), "20 FF FF FF FF FF FF FF");
    EXPECT_TRUE(cmds.warnings().empty());

    EXPECT_EQ(encodeHex("put 256 &h12345 -2"), "20 10 34 12 FE FF FF FF");
    EXPECT_EQ(cmds.warnings(), (std::vector<std::string>{
                                   "'256' does not fit parameter 1 of 'put' (a byte field); written as 10",
                                   "'&h12345' does not fit parameter 2 of 'put' (a word field); written as 34 12",
                               }));
    // Only -1 keeps its value in a field narrower than its 32-bit form.
    EXPECT_EQ(encodeHex("put -2 -1 0"), "20 FF FF FF 00 00 00 00");
    EXPECT_EQ(cmds.warnings(),
              (std::vector<std::string>{"'-2' does not fit parameter 1 of 'put' (a byte field); written as FF"}));
    // Leading zeros count as digits of the field.
    EXPECT_EQ(encodeHex("put &h00FF 0 0"), "20 00 00 00 00 00 00 00");
    EXPECT_EQ(cmds.warnings().size(), 1u);
    EXPECT_EQ(encodeHex("put 1 2 3"), "20 01 02 00 03 00 00 00");
    EXPECT_TRUE(cmds.warnings().empty());  // each statement starts afresh

    command("fixed", 0x21, {{0, "&h100"}});
    EXPECT_EQ(encodeHex("fixed"), "21 10");
    EXPECT_EQ(
        cmds.warnings(),
        (std::vector<std::string>{"'&h100' does not fit a fixed field of 'fixed' (a byte field); written as 10"}));
}

TEST(FieldFit, ChecksEveryNumberFormAgainstTheFieldWidth) {
    EXPECT_EQ(numberFieldBytes(0), 1);
    EXPECT_EQ(numberFieldBytes(5), 5);
    EXPECT_EQ(numberFieldBytes(3), 0);
    struct Case {
        const char* word;
        int type;
        FieldFit fit;
    };
    const Case cases[] = {
        {"127", 0, FieldFit::fits},          {"1e2", 0, FieldFit::fits},        {"2.5e2", 0, FieldFit::fits},
        {"1e3", 0, FieldFit::misfit},        {"+65535", 1, FieldFit::fits},     {"65536", 1, FieldFit::misfit},
        {"-2147483648", 2, FieldFit::fits},  {"999999999", 2, FieldFit::fits},  {"2147483647", 5, FieldFit::fits},
        {"-1", 5, FieldFit::misfit},  // FF FF FF FF 00
        {"&hFFFFFFFFFF", 5, FieldFit::fits}, {"&H1F", 0, FieldFit::fits},       {"$2", 0, FieldFit::fits},
        {"", 0, FieldFit::notNumber},        {"12abc", 0, FieldFit::notNumber}, {"&h1G", 0, FieldFit::notNumber},
    };
    for (const Case& c : cases) EXPECT_EQ(fieldFit(c.word, c.type), c.fit) << c.word << " as type " << c.type;
    EXPECT_TRUE(isNumberWord("&o777"));
    EXPECT_FALSE(isNumberWord("castle"));
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
