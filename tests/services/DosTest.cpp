#include "ServicesFixture.h"
#include "services/Wildcard.h"

namespace kestrel::test {
namespace {

using DosTest = ServicesTest;

std::vector<std::string> listedNames(const std::string& listing) {
    std::vector<std::string> names;
    std::size_t at = listing.find("\r\n") + 2;
    std::size_t end;
    while ((end = listing.find('\0', at)) != std::string::npos) {
        std::string entry = listing.substr(at, end - at);
        names.push_back(entry.substr(0, entry.find('\t')));
        at = end + 1;
    }
    EXPECT_EQ(at, listing.size()) << "every entry ends with NUL";
    return names;
}

TEST(WildcardTest, StarAndQuestionMarkIgnoringCase) {
    EXPECT_TRUE(Wildcard::matches("*.ksc", "Script.KSC"));
    EXPECT_TRUE(Wildcard::matches("a?c", "ABC"));
    EXPECT_FALSE(Wildcard::matches("a?c", "ac"));
    EXPECT_TRUE(Wildcard::matches("a*b*c", "axxbyybzc"));
    EXPECT_FALSE(Wildcard::matches("a*b*c", "axxbyy"));
    EXPECT_TRUE(Wildcard::matches("*", ""));
    EXPECT_TRUE(Wildcard::matches("**x", "x"));
    EXPECT_FALSE(Wildcard::matches("*.txt", "txt"));
    EXPECT_TRUE(Wildcard::matches("*.*", "README")) << "*.* also lists names without a dot";
    EXPECT_TRUE(Wildcard::matches("read*.*", "readme"));
    EXPECT_FALSE(Wildcard::matches("exact", "exactly"));
    EXPECT_TRUE(Wildcard::hasWildcards("a?"));
    EXPECT_FALSE(Wildcard::hasWildcards("plain.txt"));
}

TEST_F(DosTest, DirListsEverythingWithDotsFirst) {
#ifdef _WIN32
    GTEST_SKIP() << "compares POSIX path forms";
#endif
    writeFile("b.txt", "");
    writeFile("README", "");
    std::filesystem::create_directories("Sub");
    std::string argument;
    std::string listing = files_->Dos("DIR", argument);
    EXPECT_EQ(argument, cwd() + "/*.*");
    EXPECT_EQ(listing.rfind(">>" + cwd() + "\r\n", 0), 0u);
    EXPECT_EQ(listedNames(listing), (std::vector<std::string>{".", "..", "README", "Sub", "b.txt"}));
    EXPECT_NE(listing.find("b.txt\t" + cwd() + "/b.txt" + std::string(1, '\0')), std::string::npos)
        << "each name carries its short form";
}

TEST_F(DosTest, DirFiltersWithPatternsInAnyFolder) {
    std::filesystem::create_directories("sub");
    writeFile("sub/a.tmp", "");
    writeFile("sub/B.TMP", "");
    writeFile("sub/c.txt", "");
    std::string argument = "sub\\*.tmp";
    EXPECT_EQ(listedNames(files_->Dos("dir", argument)), (std::vector<std::string>{"B.TMP", "a.tmp"}));
    argument = "sub/c.txt";
    EXPECT_EQ(listedNames(files_->Dos("dir", argument)), (std::vector<std::string>{"c.txt"}));
    argument = "nowhere/*.*";
    EXPECT_EQ(files_->Dos("dir", argument), "Invalid path or filename");
}

TEST_F(DosTest, ChangeDirectory) {
#ifdef _WIN32
    GTEST_SKIP() << "compares POSIX path forms";
#endif
    std::filesystem::create_directories("sub");
    std::string argument = "sub";
    EXPECT_EQ(files_->Dos("CD", argument), work() + "/sub");
    EXPECT_EQ(cwd(), work() + "/sub");
    argument = "d:" + work();
    EXPECT_EQ(files_->Dos("chdir", argument), work()) << "the drive letter is ignored";
    argument = "missing";
    EXPECT_EQ(files_->Dos("cd", argument), "Invalid path or filename");
    EXPECT_EQ(cwd(), work());
    argument = "";
    EXPECT_EQ(files_->Dos("cd", argument), "Invalid path or filename");
    argument = "c:";
    EXPECT_EQ(files_->Dos("cd", argument), work());
}

TEST_F(DosTest, DeleteMatchingFiles) {
    writeFile("one.tmp", "");
    writeFile("TWO.TMP", "");
    writeFile("keep.txt", "");
    std::filesystem::create_directories("dir.tmp");
    std::string argument = "*.tmp";
    EXPECT_EQ(files_->Dos("delete", argument), "Deleted TWO.TMP\r\nDeleted one.tmp\r\n");
    EXPECT_TRUE(std::filesystem::exists("keep.txt"));
    EXPECT_TRUE(std::filesystem::exists("dir.tmp")) << "folders are not deleted";
    argument = "";
    EXPECT_EQ(files_->Dos("delete", argument), "");
    EXPECT_TRUE(std::filesystem::exists("keep.txt"));
    argument = "gone/*.txt";
    EXPECT_EQ(files_->Dos("delete", argument), "Invalid path or filename");
}

TEST_F(DosTest, MakeAndRemoveDirectories) {
    std::string argument = "made";
    EXPECT_EQ(files_->Dos("mkdir", argument), "");
    EXPECT_TRUE(std::filesystem::is_directory("made"));
    writeFile("made/inside.txt", "x");
    EXPECT_EQ(files_->Dos("mkdir", argument), "") << "already there: nothing happens";
    EXPECT_TRUE(std::filesystem::exists("made/inside.txt"));
    EXPECT_EQ(files_->Dos("rmdir", argument), "");
    EXPECT_TRUE(std::filesystem::exists("made/inside.txt")) << "a folder with files stays";
    std::filesystem::remove("made/inside.txt");
    EXPECT_EQ(files_->Dos("RmDir", argument), "");
    EXPECT_FALSE(std::filesystem::exists("made"));
    EXPECT_EQ(files_->Dos("rmdir", argument), "Invalid path or filename");
    argument = "no/parent/here";
    EXPECT_EQ(files_->Dos("mkdir", argument), "Invalid path or filename");
}

TEST_F(DosTest, ShellHandsTheTargetToThePlatform) {
    writeFile("doc.txt", "");
    std::string argument = "doc.txt";
    EXPECT_EQ(files_->Dos("shell", argument), "");
    argument = "https://example.invalid/x";
    files_->Dos("Shell", argument);
    EXPECT_EQ(platform_->opened, (std::vector<std::string>{"doc.txt", "https://example.invalid/x"}));
    EXPECT_EQ(files_->Dos("format", argument), "");
}

}  // namespace
}  // namespace kestrel::test
