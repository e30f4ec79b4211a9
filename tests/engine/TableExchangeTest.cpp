// Character tables as table files: reading and writing the line form, the
// lines a header cannot express, and round trips table -> header -> codeset
// -> table through the real engine and codec.
#include "EngineFixture.h"

#include <random>

#include "engine/CharacterTable.h"
#include "engine/TableExchange.h"
#include "engine/TableFileReader.h"

namespace kestrel::test {

namespace {

namespace fs = std::filesystem;

std::string problemsOf(const TableFileReader& reader) {
    std::string out;
    for (const auto& problem : reader.problems()) out += std::to_string(problem.line) + ": " + problem.message + "\n";
    return out;
}

// Table files of random tables, written line by line the way the table
// form reads (not through CharacterTable), each a canonical table: markers
// first in slot order, then the entries, one end code at most.
class TableGenerator {
public:
    explicit TableGenerator(unsigned seed) : random_(seed) {}

    std::string next() {
        std::string out;
        const bool endCode = pick(2) == 0;
        static const char* const hashes[] = {"@", "^", "%"};
        if (pick(3) != 0) out += std::string("@hash=") + hashes[pick(3)] + "\r\n";
        if (pick(3) != 0) out += "@start=[\r\n@end=]\r\n";
        if (pick(2) != 0) out += "@hex=@x\r\n";
        if (pick(2) != 0) out += "@var=[var]\r\n";
        if (!endCode && pick(3) == 0) out += "@finish=" + word() + "\r\n";
        std::vector<std::string> texts;
        const int count = 1 + pick(60);
        const int endAt = endCode ? pick(count) : -1;
        // The end character is used by no text entry before it.
        const char finish = '~';
        for (int i = 0; i < count; ++i) {
            std::string code;
            textkit::appendHexPair(code, static_cast<uint8_t>(pick(256)));
            if (i == endAt) {
                out += "/" + code + "=" + finish + "\r\n";
                continue;
            }
            const int kind = pick(10);
            std::string text;
            if (!texts.empty() && kind == 0)
                text = texts[static_cast<std::size_t>(pick(static_cast<int>(texts.size())))];  // a duplicate
            else if (kind < 6)
                text = character();
            else
                text = word();
            if (endCode && text == std::string(1, finish)) text = "!";
            texts.push_back(text);
            out += (kind >= 8 ? "$" : "") + code + "=" + text + "\r\n";
        }
        return out;
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    // Any byte but the line ends: blanks, "=", ";", "'", "#", control
    // bytes and upper-case letters included.
    std::string character() {
        char c = '\n';
        while (c == '\n' || c == '\r') c = static_cast<char>(pick(256));
        return std::string(1, c);
    }
    // A word of several characters that a header keeps as written.
    std::string word() {
        static const std::string letters = "abcdefghijklmnopqrstuvwxyz0123456789!?.,-+*/<>()[]{}@$%^_|~:=";
        std::string out;
        const int length = 2 + pick(6);
        while (static_cast<int>(out.size()) < length) {
            out += letters[static_cast<std::size_t>(pick(static_cast<int>(letters.size())))];
            if (out.size() >= 2 && out.substr(out.size() - 2) == "0x") out.pop_back();
        }
        if (out[0] == '=') out[0] = 'e';
        return out;
    }

    std::mt19937 random_;
};

}  // namespace

TEST(TableFileReader, ReadsEntriesMarkersAndTheEndCodeInOrder) {
    const TableFileReader reader(
        "\xEF\xBB\xBF; a comment\r\n"
        "# another\r\n"
        "// and another\n"
        "\r\n"
        "   \n"
        "@hash=@\n"
        "3d==\r\n"
        "3E=a=b\n"
        "00= \n"
        "$F0=[player]\n"
        "/ff=~\n"
        "20=A\n"
        "21=A\n");
    ASSERT_EQ(problemsOf(reader), "");
    const CharacterTable& table = reader.table();
    using Kind = CharacterTable::Kind;
    const std::vector<CharacterTable::Entry> expected = {
        {Kind::text, "=", 0x3D}, {Kind::text, "a=b", 0x3E}, {Kind::text, " ", 0x00}, {Kind::name, "[player]", 0xF0},
        {Kind::text, "~", 0xFF}, {Kind::text, "A", 0x20},   {Kind::text, "A", 0x21}};
    EXPECT_EQ(table.entries, expected);
    EXPECT_EQ(table.markers[CharacterTable::hash], "@");
    EXPECT_EQ(table.markers[CharacterTable::finish], "~");
    EXPECT_EQ(table.tableFile(), "@hash=@\r\n3D==\r\n3E=a=b\r\n00= \r\n$F0=[player]\r\n/FF=~\r\n20=A\r\n21=A\r\n");
}

TEST(TableFileReader, ReportsEveryLineTheHeaderCannotExpress) {
    const TableFileReader reader(
        "G1=x\n"          // 1 bad hex
        "123=y\n"         // 2 odd digits
        "8140=z\n"        // 3 two bytes
        "41\n"            // 4 no "="
        "42=\n"           // 5 no text
        "*FE\n"           // 6 line break
        "!80=other\n"     // 7 table switch
        "@bold=*\n"       // 8 unknown marker
        "$F0=[Player]\n"  // 9 upper case name
        "43=a b\n"        // 10 blank in a word
        "44=a;b\n"        // 11 statement separator
        "45=0x1\n"        // 12 hexadecimal prefix
        "/FF=end\n"       // 13 end code of several characters
        "/FE\n"           // 14 end code without its character
        "@hash= \n"       // 15 blank marker
        "=x\n"            // 16 no code
        "46=ok\n");
    const std::vector<int> lines = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    std::vector<int> reported;
    for (const auto& problem : reader.problems()) reported.push_back(problem.line);
    EXPECT_EQ(reported, lines) << problemsOf(reader);
    ASSERT_EQ(reader.table().entries.size(), 1u);
    EXPECT_EQ(reader.table().entries[0].text, "ok");
    EXPECT_NE(problemsOf(reader).find("3: code 8140 is 2 bytes long"), std::string::npos) << problemsOf(reader);
}

TEST(TableFileReader, RefusesASecondEndAndAnEndCodeThatIsNotItsCharactersFirstEntry) {
    EXPECT_EQ(TableFileReader("/FF=~\n/FE=!\n").problems().size(), 1u);
    EXPECT_EQ(TableFileReader("@finish=~\n/FF=~\n").problems().size(), 1u);
    EXPECT_EQ(TableFileReader("@hash=@\n@hash=^\n").problems().size(), 1u);
    // The codec would end texts with FE, the first code of "~".
    const TableFileReader late("FE=~\n/FF=~\n");
    ASSERT_EQ(late.problems().size(), 1u);
    EXPECT_EQ(late.problems()[0].line, 2);
}

TEST(CharacterTable, WritesHeaderWordsTheTokenizerKeeps) {
    const TableFileReader reader("@hash=@\n@hex=@x\n/FF=~\n00= \n3D==\n06='\n20=A\n$F1=Q\n$F2=[rival]\n09=\t\n");
    ASSERT_EQ(problemsOf(reader), "");
    EXPECT_EQ(reader.table().header(),
              "#addctrl @ hash\r\n#addctrl @x hex\r\n#addctrl ~ finish\r\n"
              "#addtext ~ 0xFF\r\n#addtext #20 0x00\r\n#addtext #3D 0x3D\r\n#addtext #27 0x06\r\n"
              "#addtext A 0x20\r\n#addhash #51 0xF1\r\n#addhash [rival] 0xF2\r\n#addtext #09 0x09\r\n");
}

class TableExchangeTest : public EngineTest {
protected:
    // A codeset whose headers are `header` alone (an empty base).
    void codeset(const std::string& name, const std::string& header) {
        write("base/includes.ksh", "");
        write(name + "/includes.ksh", header);
    }
    // Loads the codeset in a fresh engine and exports its table.
    bool exportTable(const std::string& name, const std::string& out) {
        shared.reset();
        fs::current_path(dir_);
        shared = std::make_unique<Shared>(*platform, &console);
        return TableExchange(*shared).exportTable(name, out);
    }
    std::vector<std::string> diagnostics() const { return console.diagnostics; }
};

TEST_F(TableExchangeTest, RandomTablesSurviveHeaderAndCodeset) {
    TableGenerator generator(20261207);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        const std::string tableText = generator.next();
        const TableFileReader reader(tableText);
        ASSERT_EQ(problemsOf(reader), "") << tableText;
        EXPECT_EQ(reader.table().tableFile(), tableText);
        codeset("rt", reader.table().header());
        fs::remove(dir_ / "out.tbl");
        ASSERT_TRUE(exportTable("rt", "out.tbl")) << reader.table().header();
        EXPECT_EQ(errors(), 0);
        ASSERT_EQ(readFile(dir_ / "out.tbl"), tableText) << reader.table().header();
    }
}

TEST_F(TableExchangeTest, WhateverTheReaderAcceptsLoadsAsTheSameTable) {
    // Random edits of valid tables: each line is refused with a reason or
    // taken into a table that the header loads exactly.
    TableGenerator generator(77);
    std::mt19937 random(1207);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        std::string text = generator.next();
        for (int edit = 0; edit < 4; ++edit) {
            const std::size_t at = random() % (text.size() + 1);
            const char byte = static_cast<char>(random() % 256);
            if (random() % 2 == 0 && at < text.size())
                text[at] = byte;
            else
                text.insert(at, 1, byte);
        }
        const TableFileReader reader(text);
        for (const auto& problem : reader.problems()) EXPECT_FALSE(problem.message.empty());
        codeset("rt", reader.table().header());
        fs::remove(dir_ / "out.tbl");
        ASSERT_TRUE(exportTable("rt", "out.tbl")) << reader.table().header();
        EXPECT_EQ(readFile(dir_ / "out.tbl"), reader.table().tableFile()) << reader.table().header();
    }
}

TEST_F(TableExchangeTest, TheBundledTableExportsAndComesBackThroughItsHeader) {
    copyCodesets();
    ASSERT_TRUE(exportTable("lumen", "lumen.tbl"));
    const std::string exported = readFile(dir_ / "lumen.tbl");
    for (const char* line : {"@hash=@\r\n", "@hex=@x\r\n", "@var=[var]\r\n", "$F1=[player]\r\n", "00= \r\n",
                             "/FF=~\r\n", "06='\r\n", "20=A\r\n", "40=a\r\n"})
        EXPECT_NE(exported.find(line), std::string::npos) << line;
    EXPECT_EQ(exported.find("@finish"), std::string::npos);

    ASSERT_TRUE(TableExchange(*shared).importTable("lumen.tbl", "lumen.ksh"));
    codeset("copy", readFile(dir_ / "lumen.ksh"));
    ASSERT_TRUE(exportTable("copy", "copy.tbl"));
    EXPECT_EQ(readFile(dir_ / "copy.tbl"), exported);
}

TEST_F(TableExchangeTest, CommentsBlankLinesAndLowerCaseCodesComeBackInCanonicalForm) {
    write("edge.tbl", "; made by hand\n\n#\n@var=[var]\n3d==\n  \r\n3e=a=b\r\n$fd=[var]\n/ff=~\n20=A\n20=A\n");
    ASSERT_TRUE(TableExchange(*shared).importTable("edge.tbl", "edge.ksh"));
    codeset("edge", readFile(dir_ / "edge.ksh"));
    ASSERT_TRUE(exportTable("edge", "edge-again.tbl"));
    EXPECT_EQ(readFile(dir_ / "edge-again.tbl"),
              "@var=[var]\r\n3D==\r\n3E=a=b\r\n$FD=[var]\r\n/FF=~\r\n20=A\r\n20=A\r\n");
}

TEST_F(TableExchangeTest, ImportReportsLinesByNumberAndWritesNothing) {
    write("bad.tbl", "20=A\r\n21=B\r\n8140=x\r\n22=C\r\nzz=y\r\n");
    EXPECT_FALSE(TableExchange(*shared).importTable("bad.tbl", "bad.ksh"));
    EXPECT_EQ(errors(), 2);
    EXPECT_FALSE(fs::exists(dir_ / "bad.ksh"));
    const std::string all = [&] {
        std::string out;
        for (const auto& line : diagnostics()) out += line + "\n";
        return out;
    }();
    EXPECT_NE(all.find("bad.tbl:3: code 8140"), std::string::npos) << all;
    EXPECT_NE(all.find("bad.tbl:5: 'zz' is not a hexadecimal code"), std::string::npos) << all;
}

TEST_F(TableExchangeTest, AnExistingOutputIsReplacedOnlyWithYes) {
    write("t.tbl", "20=A\n");
    write("t.ksh", "keep");
    EXPECT_FALSE(TableExchange(*shared).importTable("t.tbl", "t.ksh"));
    EXPECT_EQ(readFile(dir_ / "t.ksh"), "keep");
    platform->yesNoAnswers.push_back(true);
    EXPECT_TRUE(TableExchange(*shared).importTable("t.tbl", "t.ksh"));
    EXPECT_NE(readFile(dir_ / "t.ksh").find("#addtext A 0x20\r\n"), std::string::npos);
    EXPECT_FALSE(TableExchange(*shared).importTable("missing.tbl", "m.ksh"));
    EXPECT_FALSE(fs::exists(dir_ / "m.ksh"));
}

TEST_F(TableExchangeTest, ExportNamesTheHeaderLineOfAnEntryTheTableFileCannotHold) {
    codeset("odd", "#addtext A 0x20\r\n#addtext B 32\r\n#addhash [big] 0x1234\r\n#addtext #0A 0x21\r\n");
    EXPECT_FALSE(exportTable("odd", "odd.tbl"));
    EXPECT_EQ(errors(), 3);
    EXPECT_FALSE(fs::exists(dir_ / "odd.tbl"));
    std::string all;
    for (const auto& line : diagnostics()) all += line + "\n";
    EXPECT_NE(all.find("includes.ksh:2: code '32' of 'B'"), std::string::npos) << all;
    EXPECT_NE(all.find("includes.ksh:3: code '&h1234' of '[big]' is more than one byte"), std::string::npos) << all;
    EXPECT_NE(all.find("includes.ksh:4: a text with a line break"), std::string::npos) << all;
    EXPECT_FALSE(exportTable("nosuch", "none.tbl"));
    EXPECT_FALSE(fs::exists(dir_ / "none.tbl"));
}

}  // namespace kestrel::test
