// Definitions, filing and lookup, alias type lists and parameter specifications.
#include "CommandsFixture.h"
#include "text/KestrelError.h"

namespace kestrel::test {
namespace {

TEST(tCmdTest, ArraysHoldSixteenParametersAndRefuseMore) {
    tCmd cmd;
    EXPECT_EQ(cmd.parmcnt, 0);
    EXPECT_EQ(cmd.Parmsise(15), 0);
    EXPECT_EQ(cmd.ParmDesc(15), "");
    EXPECT_THROW(cmd.Parmsise(16), OutOfRangeError);
    EXPECT_THROW(cmd.setParmsise(-1, 0), OutOfRangeError);
    EXPECT_THROW(cmd.setParmDesc(16, "x"), OutOfRangeError);

    for (int i = 0; i < 16; ++i) cmd.addparm(static_cast<uint8_t>(i % 8), "p" + std::to_string(i));
    EXPECT_EQ(cmd.parmcnt, 16);
    EXPECT_EQ(cmd.Parmsise(9), 1);
    EXPECT_EQ(cmd.ParmDesc(9), "p9");
    EXPECT_THROW(cmd.addparm(0), OutOfRangeError);
    EXPECT_EQ(cmd.parmcnt, 16);
}

using Database = CommandsFixture;

TEST_F(Database, CodeKeysAreHexWithoutLeadingZeros) {
    command("zero", 0);
    command("top", 255);
    command("mid", 0x1A);
    EXPECT_EQ(cmds.count(), 3);
    EXPECT_EQ(cmds.item("0", false), "zero");
    EXPECT_EQ(cmds.item("ff", false), "top");  // keys compare without case
    EXPECT_EQ(cmds.item("1A", false), "mid");
    EXPECT_EQ(cmds.curcmd().keyword, "mid");
    EXPECT_THROW(cmds.item("nope", true), MissingKeyError);
}

TEST_F(Database, FilingEmptiesNewcmd) {
    command("cmd", 9, {0, 1, 3});
    EXPECT_EQ(cmds.newcmd().keyword, "");
    EXPECT_EQ(cmds.newcmd().parmcnt, 0);
    ASSERT_EQ(cmds.count(), 1);
    const tCmd& filed = *cmds.begin();
    EXPECT_EQ(filed.parmcnt, 3);
    EXPECT_EQ(filed.Parmsise(2), 3);
}

TEST_F(Database, DuplicateKeywordKeepsTheFirstForLookupAndTheSecondForItsByte) {
    command("go", 1, {0});
    command("go", 2, {1});
    EXPECT_TRUE(logged("Duplicate Entry: go"));
    EXPECT_EQ(cmds.count(), 2);
    EXPECT_EQ(encodeHex("go 5"), "01 05");
    EXPECT_EQ(decode(bytes({2, 5, 0}), true).first, "go &h0005");
}

TEST_F(Database, DuplicateCodeKeyKeepsTheFirstForDecoding) {
    command("one", 7);
    command("two", 7);
    EXPECT_TRUE(logged("Duplicate Entry: two"));
    EXPECT_EQ(encodeHex("two"), "07");  // still reachable by its keyword
    EXPECT_EQ(decode(bytes({7}), true).first, "one");
}

TEST_F(Database, BothKeysTakenIsAnErrorAndKeepsTheDefinitionOpen) {
    command("same", 5);
    cmds.newcmd().keyword = "same";
    cmds.newcmd().bytecode = 5;
    EXPECT_THROW(cmds.add(), DuplicateKeyError);
    EXPECT_TRUE(logged("Duplicate Entry: same"));
    EXPECT_EQ(cmds.newcmd().keyword, "same");
}

TEST_F(Database, AliasTypeListAndCodeKey) {
    command("cmd", 9, {0, 1});
    alias("show $1", {{7, "cmd"}, 0, {6, "&hff00"}});
    const tCmd& filed = *(cmds.begin() + 1);
    EXPECT_EQ(filed.Descriptions, "cmd,0,1");
    EXPECT_EQ(cmds.item("CMD", false), " cmd $1 ;  &hff00");  // aliases are filed under ParmDesc(0)

    alias("wide $1", {{7, "cmd"}, {6, "&hffffffff"}, {6, "&hff"}, {6, "255"}, 9, 2});
    EXPECT_EQ((cmds.begin() + 2)->Descriptions, "cmd,2,0,,3,2");
}

TEST_F(Database, TemplateFormOfACommand) {
    command("cmd", 9, {0, 1, {7, "sub"}, 3});
    EXPECT_EQ(cmds.item("cmd", true), "cmd $1 $2 ;  sub $3");
}

TEST_F(Database, RemoveDropsTheDefinitionAndKeepsTheOthersReachable) {
    command("a", 1);
    command("b", 2);
    command("c", 3);
    cmds.Remove("2");
    EXPECT_EQ(cmds.count(), 2);
    EXPECT_EQ(cmds.item("c", true), "c");
    EXPECT_EQ(cmds.item("3", false), "c");
    EXPECT_THROW(cmds.item("b", true), MissingKeyError);
    EXPECT_THROW(cmds.Remove("2"), MissingKeyError);
    EXPECT_EQ(decode(bytes({3, 1}), true).first, "c a");
}

// --- parameter specifications -----------------------------------------

class Specs : public CommandsFixture {
protected:
    Specs() { command("next", 0x12, {0}); }
    std::pair<int, std::string> apply(std::string& spec, const std::string& word) {
        std::string w = word;
        const int bound = CmdListTestAccess::applyspec(cmds, spec, w);
        return {bound, w};
    }
};

TEST_F(Specs, SelectTakesTheNumberedEntry) {
    std::string spec = "select(10,20,30)";
    EXPECT_EQ(apply(spec, "2"), (std::pair<int, std::string>{0, "30"}));
    EXPECT_EQ(spec, "select");
    spec = "select(10,20,30)";
    EXPECT_EQ(apply(spec, "&h1").second, "20");
    spec = "select(10,20,30)";
    EXPECT_EQ(apply(spec, "7").second, "");  // past the list
    spec = "select(10,20,30)";
    EXPECT_THROW(apply(spec, "16"), OutOfRangeError);
    spec = "select(0x10,#20)";
    EXPECT_EQ(apply(spec, "0").second, "&h10");  // the tokenizer rewrites the prefixes
}

TEST_F(Specs, BindMatchesByValueAndBindsTheTail) {
    std::string spec = "bind(1,2)next";
    EXPECT_EQ(apply(spec, "2"), (std::pair<int, std::string>{1, "2"}));
    EXPECT_EQ(spec, "bind");
    spec = "bind(1,2)next";
    EXPECT_EQ(apply(spec, "3"), (std::pair<int, std::string>{0, "3"}));
    spec = "bind(1,&h02)next";
    EXPECT_EQ(apply(spec, "2"), (std::pair<int, std::string>{1, "&h02"}));  // the entry's text
    spec = "bind(*)next";
    EXPECT_EQ(apply(spec, "anything").first, 1);
    spec = "bind()next";
    EXPECT_EQ(apply(spec, "0").first, 0);
    spec = "bind(1,2)nothing";
    EXPECT_EQ(apply(spec, "1").first, 0);
    spec = "bind(1,2)";
    EXPECT_EQ(apply(spec, "1").first, 0);
}

TEST_F(Specs, FixedValuesAndOtherKinds) {
    std::string spec = "&h0f";
    EXPECT_EQ(apply(spec, "5"), (std::pair<int, std::string>{0, "&h0f"}));
    EXPECT_EQ(spec, "");
    spec = "mask(&hff)";
    EXPECT_EQ(apply(spec, "5").second, "&hff");
    EXPECT_EQ(spec, "mask");
    spec = "other(1,2)";
    EXPECT_EQ(apply(spec, "5").second, "5");
    EXPECT_EQ(spec, "other");
}

TEST(ParmSpecTest, GrammarWithMissingParts) {
    ParmSpec open = ParmSpec::parse("select(1,2");
    EXPECT_EQ(open.kind, "select");
    EXPECT_EQ(open.list, "select(1,2");
    ASSERT_EQ(open.entries.size(), 2u);
    EXPECT_EQ(open.entries[0], "select(1");

    ParmSpec closeLast = ParmSpec::parse("bind(1)");
    EXPECT_EQ(closeLast.tail, "");
    EXPECT_EQ(closeLast.list, "1");

    ParmSpec noOpen = ParmSpec::parse("a)b");
    EXPECT_EQ(noOpen.kind, "");
    EXPECT_EQ(noOpen.list, "a)b");
    EXPECT_EQ(noOpen.tail, "b");
}

}  // namespace
}  // namespace kestrel::test
