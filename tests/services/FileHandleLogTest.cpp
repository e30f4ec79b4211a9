#include <cctype>

#include "ServicesFixture.h"

namespace kestrel::test {
namespace {

class LogTest : public ServicesTest {
protected:
    // An empty script open as file 2 and the console attached, its
    // "#PROCESS" lines already cleared.
    void openScriptWithConsole(RecordingConsole& console) {
        files_->setConsole(&console);
        writeFile("s.ksc", "");
        std::string name = "s.ksc";
        files_->OpenFile(name, FileHandle::OpenMode::input);
        console.lines.clear();
    }
};

TEST_F(LogTest, LogFileIsNamedAfterStartTimeAndProgramAndStartsWithBanner) {
    std::string name = std::filesystem::path(files_->logPath()).filename().string();
    // "[yyyymmdd-hhmm]kestrel.log"
    ASSERT_EQ(name.size(), 26u) << name;
    for (std::size_t i : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 10u, 11u, 12u, 13u})
        EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(name[i]))) << name;
    EXPECT_EQ(name[0], '[');
    EXPECT_EQ(name[9], '-');
    EXPECT_EQ(name.substr(14), "]kestrel.log");
    EXPECT_EQ(std::filesystem::path(files_->logPath()).parent_path(), root_ / "log");
    files_->closeLog();
    std::string text = readFile(files_->logPath());
    EXPECT_EQ(text.rfind("Logging started", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n") << "the CR LF of the message leaves an empty line";
    EXPECT_EQ(files_->fileno(), 1);
    EXPECT_FALSE(files_->fileopen());
}

TEST_F(LogTest, RunsWithoutLogWhenNoFolderIsGiven) {
    platform_->logDir = "";
    FileHandle quiet(*platform_, "plover");
    EXPECT_EQ(quiet.logPath(), "");
    quiet.echo("nowhere to go");
    platform_->logDir = (root_ / "missing" / "deeper").string();
    FileHandle unopened(*platform_, "plover");
    EXPECT_EQ(unopened.logPath(), "");
}

TEST_F(LogTest, NestedFilesDrawTheBarTree) {
    writeFile("a.ksc", "one\r\ntwo\r\n");
    writeFile("b.ksh", "x\n");
    std::string a = "a.ksc", b = "b.ksh";
    ASSERT_EQ(files_->OpenFile(a, FileHandle::OpenMode::input), "a.ksc");
    files_->echo("a line echoed while reading a.ksc");
    ASSERT_EQ(files_->OpenFile(b, FileHandle::OpenMode::script), "b.ksh");
    EXPECT_EQ(files_->fileno(), 3);
    files_->echo("a line echoed while reading b.ksh");
    for (int i = 0; i < 7; ++i) files_->getdata(FileHandle::DataKind::megablock);
    files_->closefile();
    files_->getdata(FileHandle::DataKind::line);
    files_->closefile();
    EXPECT_EQ(files_->fileno(), 1);
    EXPECT_FALSE(files_->fileopen());

    std::vector<std::string> expected = {
        "#PROCESS: a.ksc F:2 for input",
        "/----------------------------",
        "|a line echoed while reading a.ksc",
        "|#PROCESS: b.ksh F:3 for Input",
        "|/----------------------------",
        "||a line echoed while reading b.ksh",
        "||",
        "|\\- Processed 7 Lines",
        "| ",
        "|",
        "\\- Processed 1 Lines",
        " ",
    };
    EXPECT_EQ(logLines(), expected);
}

TEST_F(LogTest, EchoPrefixRuleAndConsole) {
    RecordingConsole console;
    openScriptWithConsole(console);

    files_->echo("hello", true, 2);
    files_->echo("x", true, 0);
    files_->echo("", true, 3);
    files_->echo("minus", false, -1);

    EXPECT_EQ(console.lines, (std::vector<std::string>{"hello", "----", "x", "", "minus"}));
    auto lines = logLines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[2], "|  - hello");
    EXPECT_EQ(lines[3], "|/----");
    EXPECT_EQ(lines[4], "|x");
    EXPECT_EQ(lines[5], "|/");
    EXPECT_EQ(lines[6], "|minus");
}

TEST_F(LogTest, HiddenConsoleGetsNothingAndLongTextIsCut) {
    RecordingConsole console;
    files_->setConsole(&console);
    console.shown = false;
    files_->echo("only in the log");
    EXPECT_TRUE(console.lines.empty());

    console.shown = true;
    console.text = std::string(10001, 'a');
    files_->echo("next");
    EXPECT_EQ(console.text.size(), 8000u + 6u);
    EXPECT_EQ(console.text.substr(console.text.size() - 6), "next\r\n");

    console.text = std::string(10000, 'a');
    files_->echo("kept");
    EXPECT_EQ(console.text.size(), 10006u) << "exactly 10000 characters is not over the limit";

    files_->cls();
    EXPECT_TRUE(console.text.empty());
}

TEST_F(LogTest, DiagnosticsReachTheLogAndTheConsolesChannelEvenWhenHidden) {
    RecordingConsole console;
    openScriptWithConsole(console);
    console.shown = false;
    files_->diagnostic("s.ksc:4: unknown command 'gto'");
    files_->diagnostic("");
    EXPECT_EQ(console.diagnostics, (std::vector<std::string>{"s.ksc:4: unknown command 'gto'"}));
    EXPECT_TRUE(console.lines.empty()) << "a diagnostic is no echo";
    files_->setConsole(nullptr);
    files_->diagnostic("no console attached");

    auto lines = logLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "|s.ksc:4: unknown command 'gto'") << "the log line nests like an echo";
    EXPECT_EQ(lines[3], "|no console attached");
}

TEST_F(LogTest, CriticalClosesTheLogBeforeTheBox) {
    files_->echo("last words");
    EXPECT_THROW(files_->critical("disk on fire"), ProgramExit);
    EXPECT_EQ(platform_->boxes.back(), "CRITICAL ERROR|disk on fire");
    std::string text = readFile(files_->logPath());
    EXPECT_NE(text.find("last words\r\n"), std::string::npos) << "flushed before the box";
    files_->echo("after close");  // must not fail
}

TEST_F(LogTest, SeekWithNegativeOffsetEchoesEightHexDigits) {
    writeFile("img.bin", "0123456789");
    std::string name = "img.bin";
    files_->OpenFile(name, FileHandle::OpenMode::read);
    files_->SeekData(4);
    files_->SeekData(-1);
    files_->SeekData(-0x10000);
    EXPECT_EQ(files_->fPos(), 4) << "a negative offset does not move the file";
    auto lines = logLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "|Invalid Offsett 0xFFFFFFFF");
    EXPECT_EQ(lines[3], "|Invalid Offsett 0xFFFF0000");
}

}  // namespace
}  // namespace kestrel::test
