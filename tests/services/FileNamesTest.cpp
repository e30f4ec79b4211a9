#include "ServicesFixture.h"

namespace kestrel::test {
namespace {

using NamesTest = ServicesTest;

class CapturingPlatform : public FakePlatform {
public:
    using FakePlatform::FakePlatform;
    FileDialogRequest last;
    std::string fileDialog(const FileDialogRequest& request) override {
        last = request;
        return FakePlatform::fileDialog(request);
    }
};

TEST_F(NamesTest, FullPathIsSplitAndItsFolderBecomesCurrent) {
#ifdef _WIN32
    GTEST_SKIP() << "compares POSIX path forms";
#endif
    std::filesystem::create_directories(root_ / "work" / "data");
    files_->setFilename(NamePart::fullpath, work() + "/data/file.txt");
    EXPECT_EQ(files_->filename(NamePart::name), "file");
    EXPECT_EQ(files_->extension(), "txt");
    EXPECT_EQ(files_->directory(), work() + "/data");
    EXPECT_EQ(cwd(), work() + "/data");
    EXPECT_EQ(files_->filename(NamePart::fullpath), work() + "/data/file.txt");
    EXPECT_EQ(files_->filename(NamePart::directory), cwd());
}

TEST_F(NamesTest, SplittingFollowsTheLastSeparatorOfEitherKind) {
    struct Case {
        const char* value;
        const char* directory;
        const char* name;
        const char* extension;
    };
    const Case cases[] = {
        {"C:\\data\\README", "C:\\data", "README", ""},
        {"C:\\my.dir\\file", "C:\\my.dir", "file", ""},
        {"C:\\data\\file.txt", "C:\\data", "file", "txt"},
        {"a/b.c\\d.e", "a/b.c", "d", "e"},
        {"a\\b.c/d", "a\\b.c", "d", ""},
        {"file.txt", "", "file", "txt"},
        {"x/.hidden", "x", "", "hidden"},
        {"archive.tar.gz", "", "archive.tar", "gz"},
    };
    for (const auto& c : cases) {
        files_->setFilename(NamePart::fullpath, c.value);
        EXPECT_EQ(files_->directory(), c.directory) << c.value;
        EXPECT_EQ(files_->filename(NamePart::name), c.name) << c.value;
        EXPECT_EQ(files_->filename(NamePart::extension), c.extension) << c.value;
    }
    EXPECT_EQ(cwd(), work()) << "folders that do not exist leave the current folder";

    files_->setFilename(NamePart::fullpath, "C:\\data\\README");
    EXPECT_EQ(files_->filename(NamePart::fullpath), cwd() + "/README.") << "a trailing dot without extension";

    files_->setFilename(NamePart::extension, "bin");
    files_->setFilename(NamePart::fullpath, "plainword");
    EXPECT_EQ(files_->directory(), "plainword") << "no dot and no separator: all of it is the folder";
    EXPECT_EQ(files_->filename(NamePart::name), "");
    EXPECT_EQ(files_->filename(NamePart::extension), "bin") << "the extension is kept";
    EXPECT_EQ(files_->filename(NamePart::fullpath), "") << "no name, no full path";
}

TEST_F(NamesTest, PartsCanBeSetAndCombined) {
    files_->setFilename(NamePart::name, "script");
    files_->setFilename(NamePart::extension, "ksc");
    files_->setFilename(NamePart::directory, "/elsewhere");
    EXPECT_EQ(files_->directory(), "/elsewhere");
    EXPECT_EQ(cwd(), work()) << "setting the path only stores it";

    std::string dir, name, ext = "buf";
    EXPECT_EQ(files_->filename_get(dir, name, ext), "/elsewhere/script.buf");
    EXPECT_EQ(dir, "/elsewhere");
    EXPECT_EQ(name, "script");
    EXPECT_EQ(ext, "buf");
}

TEST_F(NamesTest, ExistCompletesNamesAndFindsWildcards) {
    writeFile("Alpha.ksc", "");
    std::string name = "*.KSC";
    EXPECT_TRUE(files_->exist(name, false, false));
    EXPECT_EQ(name, "Alpha.ksc");
    std::string missing = "nothing.*";
    EXPECT_FALSE(files_->exist(missing, true, true));
    std::string empty;
    EXPECT_FALSE(files_->exist(empty, false, false));
    std::filesystem::create_directories("folder.ksc");
    std::string folder = "folder.ksc";
    EXPECT_FALSE(files_->exist(folder, false, false)) << "folders are not files";
    EXPECT_TRUE(platform_->boxes.empty());
}

TEST_F(NamesTest, FileDialogKindsPickTitleAndOptions) {
    CapturingPlatform platform(home());
    FileHandle files(platform, "kestrel");
    struct Case {
        FileDialogKind kind;
        const char* title;
        bool save, mustExist, multi;
    };
    const Case cases[] = {
        {FileDialogKind::open, "Open file ....", false, true, false},
        {FileDialogKind::save, "Save file ....", true, false, false},
        {FileDialogKind::openMany, "Open many files ....", false, true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(files.getfile(c.kind), "") << "cancelled";
        EXPECT_EQ(platform.last.title, c.title) << c.title;
        EXPECT_EQ(platform.last.save, c.save) << c.title;
        EXPECT_EQ(platform.last.mustExist, c.mustExist) << c.title;
        EXPECT_EQ(platform.last.multiSelect, c.multi) << c.title;
        EXPECT_EQ(platform.last.optionBits, 0u) << c.title;
    }
    FileDialogRequest own;
    own.title = "Pick one";
    own.optionBits = 4;
    files.finder().getfile(own);
    EXPECT_EQ(platform.last.title, "Pick one");
    EXPECT_EQ(platform.last.optionBits, 4u);

    // Opening with no name asks the dialog that fits the mode.
    std::string name;
    files.OpenFile(name, FileHandle::OpenMode::output);
    EXPECT_EQ(platform.last.title, "Save file ....");
    files.OpenFile(name, FileHandle::OpenMode::read);
    EXPECT_EQ(platform.last.title, "Open file ....");
}

TEST_F(NamesTest, FileDialogAnswersAreJoinedAndShortened) {
#ifdef _WIN32
    GTEST_SKIP() << "compares POSIX path forms";
#endif
    platform_->fileAnswers.push_back(std::string("C:\\x\0a.txt\0b.txt\0\0junk", 23));
    EXPECT_EQ(files_->getfile(FileDialogKind::openMany), "C:\\x;a.txt;b.txt");
    platform_->fileAnswers.push_back("C:\\x;a.txt;b.txt");
    EXPECT_EQ(files_->getfile(FileDialogKind::openMany), "C:\\x;a.txt;b.txt");

    writeFile("Pick.TXT", "");
    platform_->fileAnswers.push_back(work() + "/Pick.TXT");
    EXPECT_EQ(files_->getfile(FileDialogKind::open, true), work() + "/pick.txt");
    EXPECT_EQ(files_->shortenname(work() + "/nope.txt"), "");
    EXPECT_EQ(files_->shortenname(""), "");
}

TEST_F(NamesTest, ShrinkNameReplacesQuotedNamesOfExistingFiles) {
    writeFile("My Script.KSC", "");
    std::string text = "#encode \"My Script.KSC\";#note \"missing.ksc\" \"My Script.KSC\" \"";
    files_->ShrinkName(text);
    EXPECT_EQ(text, "#encode my script.ksc;#note \"missing.ksc\" my script.ksc \"");
    std::string plain = "no quotes here";
    files_->ShrinkName(plain);
    EXPECT_EQ(plain, "no quotes here");
}

}  // namespace
}  // namespace kestrel::test
