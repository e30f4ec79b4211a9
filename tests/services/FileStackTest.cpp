// The parts of the file services used on their own: the file stack over a
// log, the guard that keeps a scope's files inside it, and the file-name value.
#include "ServicesFixture.h"
#include "services/FileName.h"
#include "services/FileStack.h"
#include "services/FileStackGuard.h"
#include "services/Log.h"

namespace kestrel::test {
namespace {

class StackTest : public ServicesTest {
protected:
    // Opens a fresh file of a few bytes on the stack.
    void push(const std::string& name, OpenMode mode = OpenMode::read) {
        writeFile(name, "abcd");
        ASSERT_TRUE(files_->stack().push(name, mode)) << name;
    }
};

TEST_F(StackTest, GuardClosesWhatItsScopeOpenedWhenItEnds) {
    push("outer.bin");
    {
        FileStackGuard guard(files_->stack());
        EXPECT_EQ(guard.depth(), 2);
        push("a.bin");
        push("b.bin");
        EXPECT_EQ(files_->fileno(), 4);
    }
    EXPECT_EQ(files_->fileno(), 2) << "the file open before the guard stays open";
    EXPECT_EQ(files_->currentFileName(), "outer.bin");
}

TEST_F(StackTest, GuardClosesDownWhenAnExceptionLeavesTheScope) {
    auto failingRead = [this] {
        FileStackGuard guard(files_->stack());
        push("short.bin");
        files_->getBlock(100);  // four bytes only: the read is refused
    };
    EXPECT_THROW(failingRead(), FormatError);
    EXPECT_EQ(files_->fileno(), 1);
    EXPECT_FALSE(files_->fileopen());
}

TEST_F(StackTest, GuardLeavesFilesAlreadyClosedByOthersAlone) {
    push("outer.bin");
    FileStackGuard guard(files_->stack());
    push("inner.bin");
    files_->closefile();
    files_->closefile();  // below the guard's depth: someone else's business
    guard.closeAll();
    EXPECT_EQ(files_->fileno(), 1) << "a guard never closes below its depth, nor reopens";
    push("later.bin");
    push("latest.bin");
    guard.closeAll();
    EXPECT_EQ(files_->fileno(), 2) << "closeAll goes down to the depth the guard was made at, no further";
}

TEST_F(StackTest, PushLogsTheModeWordAndRefusesWhatCannotBeOpened) {
    Log& log = files_->log();
    FileStack stack(log, *platform_);
    EXPECT_FALSE(stack.push("missing.ksc", OpenMode::input)) << "input never creates";
    EXPECT_FALSE(stack.push("no/such/folder/x.bin", OpenMode::write));
    EXPECT_EQ(stack.fileno(), 1);
    writeFile("s.ksc", "");
    EXPECT_TRUE(stack.push("s.ksc", OpenMode::script));
    EXPECT_TRUE(stack.push("new.bin", OpenMode::write)) << "write creates the file";
    EXPECT_TRUE(std::filesystem::exists("new.bin"));
    stack.closefile();
    stack.closefile();
    auto lines = logLines();
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], "#PROCESS: missing.ksc F:2 for input");
    EXPECT_EQ(lines[2], "#PROCESS: no/such/folder/x.bin F:2 for write");
    EXPECT_EQ(lines[4], "#PROCESS: s.ksc F:2 for Input");
    EXPECT_EQ(lines[6], "|#PROCESS: new.bin F:3 for write");
}

TEST_F(StackTest, PrintingWithOnlyTheLogOpenWritesIntoTheLog) {
    files_->echo("before");
    files_->putText(DataKind::line, "printed as it is");
    EXPECT_THROW(files_->putNumber(DataKind::byte, 1), OutOfRangeError);
    files_->putdata(DataKind::megablock, std::string("nothing"));
    EXPECT_EQ(logLines(), (std::vector<std::string>{"before", "printed as it is"}));
}

TEST(FileNameValue, JoinsWithOneSeparatorOfTheGivenKind) {
    EXPECT_EQ(FileName::join("C:\\data", "a.ksc", '\\'), "C:\\data\\a.ksc");
    EXPECT_EQ(FileName::join("C:\\", "a.ksc", '\\'), "C:\\a.ksc");
    EXPECT_EQ(FileName::join("/", "a.ksc", '/'), "/a.ksc");
    EXPECT_EQ(FileName::join("", "a.ksc", '/'), "a.ksc");

    FileName name;
    EXPECT_EQ(name.fullPath("/w", '/'), "") << "no name, no path";
    name.assignFullPath("\\root.ksc");
    EXPECT_EQ(name.directory, "\\") << "a separator in front is the root";
    EXPECT_EQ(name.name, "root");
    EXPECT_EQ(name.fullPath("C:\\w", '\\'), "C:\\w\\root.ksc");
    name.assignFullPath("a.b/c");
    EXPECT_EQ(name.extension, "") << "a dot before the last separator is no extension";
    EXPECT_EQ(name.fullPath("/w", '/'), "/w/c.");
}

}  // namespace
}  // namespace kestrel::test
