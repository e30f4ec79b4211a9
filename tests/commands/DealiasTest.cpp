// Word lists back to statements: aliases, raw data lines, pointer entries and
// the round trip through the encoder.
#include "CommandsFixture.h"
#include "text/KestrelError.h"

namespace kestrel::test {
namespace {

using Words = std::pair<std::string, std::string>;

class Dealias : public CommandsFixture {
protected:
    Dealias() {
        command("kw", 0x09, {0, 3});
        command("cmd", 0x2A, {0, 0});
    }
};

TEST_F(Dealias, PlainCommandsWithPointerEntries) {
    const std::string data = bytes({9, 5, 0, 1, 0, 8});
    EXPECT_EQ(decompile(data, false), (Words{"kw &h05 $3", "3,3"}));
    EXPECT_EQ(decompile(data, true), (Words{"kw &h05 &h08000100", "&h08000100,3"}));
    EXPECT_EQ(decompile(bytes({0x2A, 1, 2, 9, 5, 0, 1, 0, 8, 9, 6, 0, 2, 0, 8}), true),
              (Words{"cmd &h01 &h02; kw &h05 &h08000100; kw &h06 &h08000200", "&h08000100,3,&h08000200,3"}));
}

TEST_F(Dealias, PointerEntriesCarryTheirKind) {
    command("txt", 0x0B, {8});
    EXPECT_EQ(decompile(bytes({0x0B, 0, 2, 0, 8}), true), (Words{"txt &h08000200", "&h08000200,8"}));
}

TEST_F(Dealias, RawRunsBecomeDataLines) {
    EXPECT_EQ(decompile(bytes({1, 2, 3, 4, 5, 9, 5, 0, 1, 0, 8}), true).first,
              "; #0x04030201 0x05 ; kw &h05 &h08000100");
    EXPECT_EQ(decompile(bytes({0x2A, 1, 2, 0x0A, 0x0B, 0x0C, 0x2A, 3, 4}), false).first,
              "cmd &h01 &h02; #0x0B0A 0x0C ; cmd &h03 &h04");
}

TEST_F(Dealias, AliasIsRestored) {
    alias("show $1 at $2", {{7, "cmd"}, 0, 0});
    EXPECT_EQ(decompile(bytes({0x2A, 7, 9}), false).first, "show &h07 at &h09");
    EXPECT_EQ(cmds.curcmd().keyword, "show $1 at $2");
}

TEST_F(Dealias, AliasWhoseFixedValueDiffersIsRejected) {
    alias("clear $1", {{7, "cmd"}, {0, "&h00"}, 0});
    EXPECT_EQ(decompile(bytes({0x2A, 0, 5}), false).first, "clear &h05");
    EXPECT_EQ(decompile(bytes({0x2A, 1, 5}), false).first, "cmd &h01 &h05");
}

TEST_F(Dealias, AliasThatCoversOnlyPartOfTheFieldsIsRejected) {
    alias("half $1", {{7, "cmd"}, 0});
    EXPECT_EQ(decompile(bytes({0x2A, 7, 9}), false).first, "cmd &h07 &h09");
}

TEST_F(Dealias, PlacedWordsAreNotReplacedAgain) {
    command("two", 0x0C, {3, 3, 3});
    alias("goto $3 $2 $1", {{7, "two"}, 3, 3, 3});
    // Buffer positions 2, 6 and 10 become "$2", "$6", "$10": none of them is touched again.
    EXPECT_EQ(decompile(bytes({0x0C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), false),
              (Words{"goto $10 $6 $2", "2,3,6,3,10,3"}));
}

TEST_F(Dealias, SelectShowsTheEntryNumber) {
    command("sel", 0x10, {{0, "select(10,20,30)"}});
    EXPECT_EQ(decompile(bytes({0x10, 20}), false).first, "sel 1");
    EXPECT_EQ(decompile(bytes({0x10, 21}), false).first, "sel &h15");  // no entry holds it
}

TEST_F(Dealias, EndMarksAndSubCommandsTakeTheirWords) {
    command("end", 0x0E, {0, 4, 0});
    command("call", 0x15, {{7, "kw"}, 0});
    EXPECT_EQ(decompile(bytes({0x0E, 1, 2, 0x15, 9, 3, 0x2A, 4, 5}), false).first,
              "end &h01 &h02; call &h03; cmd &h04 &h05");
    EXPECT_EQ(decompile(bytes({0x0E, 1, 2, 0x2A}), true).first, "end &h01");
}

TEST_F(Dealias, LongStatementsAndLongInputTerminate) {
    command("long", 0x16, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    command("jmp", 0x11, {{0, "bind(*)next"}});
    command("next", 0x12, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    std::string data = bytes({0x16, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    data += bytes({0x11, 1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    data += bytes({0x2A, 1, 2});
    const std::string text = decompile(data, false).first;
    EXPECT_EQ(text,
              "long &h01 &h02 &h03 &h04 &h05 &h06 &h07 &h08 &h09 &h0A &h0B &h0C &h0D &h0E &h0F &h10; "
              "jmp &h01 &h01 &h02 &h03 &h04 &h05 &h06 &h07 &h08 &h09 &h0A; cmd &h01 &h02");
}

TEST_F(Dealias, UnknownStatementWordIsAnError) {
    std::string code = "bogus &h01";
    std::string mask = "bogus,0";
    EXPECT_THROW(cmds.dealias(code, mask), MissingKeyError);
}

// Every statement the decompiler writes compiles back to the same bytes.
TEST_F(Dealias, StatementsCompileBackToTheirBytes) {
    command("sel", 0x10, {{0, "select(10,20,30)"}, 1});
    command("jmp", 0x11, {{0, "bind(1,2)next"}});
    command("next", 0x12, {0, 1});
    command("call", 0x15, {{7, "next"}, 0});
    command("stop", 0x14, {0, 4});
    alias("show $1 at $2", {{7, "cmd"}, 0, 0});
    alias("clear $1", {{7, "sel"}, {0, "select(10,20,30)"}, {1, "&h0102"}});
    const std::vector<std::string> lines = {"cmd 1 2",   "show 3 at 4", "sel 2 &h0304", "sel 0 &h0102",
                                            "jmp 2 5 6", "jmp 1 5 6",   "call 9",       "stop 8"};
    std::string data;
    for (const std::string& line : lines) {
        std::string script = line;
        std::string mask;
        ASSERT_TRUE(cmds.encode(script, mask, 1)) << line;
        data += script;
    }
    auto [text, pointers] = decompile(data, false);
    EXPECT_EQ(text,
              "show &h01 at &h02; show &h03 at &h04; sel 2 &h0304; clear 0; jmp 2 &h05 &h0006; "
              "jmp 1 &h05 &h0006; call &h09; stop &h08");
    std::string again;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find("; ", start);
        if (end == std::string::npos) end = text.size();
        std::string script = text.substr(start, end - start);
        std::string mask;
        ASSERT_TRUE(cmds.encode(script, mask, 1)) << text.substr(start, end - start);
        again += script;
        start = end + 2;
    }
    EXPECT_EQ(hexDump(again), hexDump(data));
}

}  // namespace
}  // namespace kestrel::test
