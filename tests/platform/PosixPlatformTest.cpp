#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix/PosixPlatform.h"
#include "text/KestrelError.h"
#include "text/SmartString.h"
#include "text/TextKit.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

class PosixPlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device seed;
        root_ = fs::temp_directory_path() / ("kestrel-platform-" + std::to_string(seed()) + std::to_string(seed()));
        fs::create_directories(root_ / "My Dir" / "Sub Folder");
        std::ofstream(root_ / "My Dir" / "Sub Folder" / "File.TXT") << "x";
        platform_.setBatch(true);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
        unsetenv("KESTREL_HOME");
        unsetenv("KESTREL_LOG_DIR");
    }
    std::string real() const { return (root_ / "My Dir" / "Sub Folder" / "File.TXT").string(); }

    fs::path root_;
    PosixPlatform platform_;
};

TEST_F(PosixPlatformTest, NamesResolveAcrossSeparatorsAndLetterCase) {
    std::string root = root_.string();
    EXPECT_EQ(platform_.resolveExisting(real()), real());
    EXPECT_EQ(platform_.resolveExisting(root + "/my dir/SUB FOLDER/file.txt"), real());
    EXPECT_EQ(platform_.resolveExisting(root + "\\MY DIR\\sub folder\\FILE.txt"), real());
    EXPECT_EQ(platform_.resolveExisting(root + "/my dir/missing.txt"), "");
    EXPECT_EQ(platform_.resolveExisting(""), "");

    EXPECT_EQ(platform_.nativePath(root + "\\MY DIR\\new.txt"), root + "/My Dir/new.txt")
        << "a new file goes into the existing folder";
    EXPECT_EQ(platform_.nativePath("rel\\a.txt"), "rel/a.txt");

    EXPECT_TRUE(platform_.isAbsolute("/x"));
    EXPECT_TRUE(platform_.isAbsolute("\\x"));
    EXPECT_FALSE(platform_.isAbsolute("x/y"));
    EXPECT_FALSE(platform_.isAbsolute(""));
    EXPECT_EQ(platform_.separator(), '/');
}

TEST_F(PosixPlatformTest, RelativeNamesResolveAgainstTheCurrentFolder) {
    fs::path previous = fs::current_path();
    fs::current_path(root_);
    EXPECT_EQ(platform_.resolveExisting("my dir\\sub folder\\FILE.TXT"), "My Dir/Sub Folder/File.TXT");
    fs::current_path(previous);
}

TEST_F(PosixPlatformTest, ShortNameIsOneTokenizerProofWordThatOpensAgain) {
    std::string word = platform_.shortName(real());
    ASSERT_FALSE(word.empty());
    EXPECT_EQ(word.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789/._-%"), std::string::npos) << word;
    EXPECT_EQ(textkit::lower(word), word);
    EXPECT_EQ(platform_.resolveExisting(word), real());
    EXPECT_EQ(platform_.resolveExisting(textkit::upper(word)), real()) << "hex digits decode in either case";

    // Through the script tokenizer and back.
    std::string line = "#encode " + word;
    SmartString tokens;
    tokens.kaTrim(line);
    tokens.kaSplit(tokens.values(0), " ");
    ASSERT_EQ(tokens.count(), 1);
    EXPECT_EQ(platform_.resolveExisting(tokens.values(1)), real());
    tokens.kaSplit("#boot base;#encode " + word + " more", ";");
    tokens.kaSplit(tokens.values(1), " ");
    ASSERT_EQ(tokens.count(), 2);
    EXPECT_EQ(platform_.resolveExisting(tokens.values(1)), real());

    EXPECT_EQ(platform_.shortName(root_.string() + "/nothing"), "");
    EXPECT_EQ(platform_.shortName(root_.string() + "/my dir"),
              PosixPlatform::encodeShortName(root_.string() + "/My Dir"));
}

TEST_F(PosixPlatformTest, ShortNameEncodingAvoidsEveryTokenizerRewrite) {
    EXPECT_EQ(PosixPlatform::encodeShortName("/a b/C.txt"), "/a%20b/%43.txt");
    EXPECT_EQ(PosixPlatform::encodeShortName("/0x1f#;'=%"), "/0%781f%23%3b%27%3d%25");
    EXPECT_EQ(PosixPlatform::encodeShortName("/a x"), "/a%20%78") << "the x after an encoded space";
    EXPECT_EQ(PosixPlatform::encodeShortName("/xx-_.9"), "/xx-_.9");
    for (std::string name : {"/a b/C.txt", "/0x1F#;'=%", "/\xC3\xA9\x01\xFF", "/%zz%4"})
        EXPECT_EQ(PosixPlatform::decodeShortName(PosixPlatform::encodeShortName(name)), name);
    EXPECT_EQ(PosixPlatform::decodeShortName("%4A%4a%"), "JJ%");

    fs::create_directories(root_ / "0x10 #Odd; Name'=");
    std::string odd = (root_ / "0x10 #Odd; Name'=").string();
    std::string word = platform_.shortName(odd);
    EXPECT_EQ(word.find("0x"), std::string::npos);
    EXPECT_EQ(platform_.resolveExisting(word), odd);
    EXPECT_EQ(platform_.nativePath(word + "/new.bin"), odd + "/new.bin") << "a new file under a short folder name";
}

TEST_F(PosixPlatformTest, BatchModeNeverWaits) {
    EXPECT_FALSE(platform_.interactive());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(platform_.askYesNo("File Exists. Delete?", "Delete File"));
    EXPECT_EQ(platform_.inputBox("Please Enter Offsett:", "Insufficient Data"), std::nullopt);
    FileDialogRequest request;
    request.title = "Open file ....";
    EXPECT_EQ(platform_.fileDialog(request), "");
    platform_.messageBox("File Not Found or user cancel", "kestrel");
    platform_.notice("done\x1B]0;title\x07");
    try {
        platform_.critical("no codeset");
        ADD_FAILURE() << "critical returned";
    } catch (const ProgramExit& exit) {
        EXPECT_EQ(exit.status, 2);
    }
    std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_NE(printed.find("kestrel: File Not Found or user cancel\n"), std::string::npos) << printed;
    EXPECT_NE(printed.find("Notice: done\\x1B]0;title\\x07\n"), std::string::npos) << printed;
    EXPECT_NE(printed.find("CRITICAL ERROR: no codeset\n"), std::string::npos) << printed;

    platform_.setAssumeYes(true);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(platform_.askYesNo("File Exists. Delete?", "Delete File"));
    testing::internal::GetCapturedStderr();

    EXPECT_EQ(platform_.shellOpen("out.buf"), "not started in batch mode: out.buf");
    EXPECT_EQ(platform_.openTextEditor("out.ksc"), "not started in batch mode: out.ksc");
}

TEST_F(PosixPlatformTest, StandardInputLinesEndAtCrLfLfOrALoneCr) {
    std::stringbuf input("one\rtwo\r\nthree\n\rfour");
    std::streambuf* previous = std::cin.rdbuf(&input);
    std::vector<std::optional<std::string>> lines;
    for (int i = 0; i < 6; ++i) lines.push_back(platform_.readConsoleLine(""));
    std::cin.rdbuf(previous);
    EXPECT_EQ(lines, (std::vector<std::optional<std::string>>{"one", "two", "three", "", "four", std::nullopt}));
}

TEST_F(PosixPlatformTest, ProgramAndLogFolders) {
    std::string exeFolder = fs::read_symlink("/proc/self/exe").parent_path().string();
    EXPECT_EQ(platform_.programDirectory(), exeFolder);

    setenv("KESTREL_HOME", root_.c_str(), 1);
    EXPECT_EQ(platform_.programDirectory(), root_.string());
    EXPECT_EQ(platform_.logDirectory(), (root_ / "log").string());
    EXPECT_TRUE(fs::is_directory(root_ / "log"));

    setenv("KESTREL_LOG_DIR", (root_ / "elsewhere" / "logs").c_str(), 1);
    EXPECT_EQ(platform_.logDirectory(), (root_ / "elsewhere" / "logs").string());
    setenv("KESTREL_LOG_DIR", real().c_str(), 1);
    EXPECT_EQ(platform_.logDirectory(), "") << "a file is no log folder; never fatal";
}

}  // namespace
}  // namespace kestrel
