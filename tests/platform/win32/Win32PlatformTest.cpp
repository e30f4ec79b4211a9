// Win32Platform in batch mode (nothing may wait under Wine or in CI), plus
// the pure helpers behind the dialog and the editor start.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/win32/Win32Platform.h"
#include "text/KestrelError.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

// Open-file dialog option bits (commdlg.h).
constexpr unsigned kOverwritePrompt = 0x2;
constexpr unsigned kHideReadOnly = 0x4;
constexpr unsigned kAllowMultiSelect = 0x200;
constexpr unsigned kFileMustExist = 0x1000;
constexpr unsigned kExplorer = 0x80000;
constexpr unsigned kNoDereferenceLinks = 0x100000;
constexpr unsigned kLongNames = 0x200000;

void setEnv(const char* name, const std::string& value) { _putenv_s(name, value.c_str()); }

// A scratch folder with a long, spaced name and a file inside it.
class Win32PlatformFiles : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / "kestrel win32 test";
        fs::remove_all(root);
        fs::create_directories(root / "Long Folder Name");
        file = root / "Long Folder Name" / "Some Script File.ksc";
        std::ofstream(file) << "#boot demo\n";
        platform.setBatch(true);
    }
    void TearDown() override {
        setEnv("KESTREL_HOME", "");
        setEnv("KESTREL_LOG_DIR", "");
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    static std::string forward(std::string path) {
        for (char& c : path)
            if (c == '\\') c = '/';
        return path;
    }

    fs::path root;
    fs::path file;
    Win32Platform platform;
};

TEST_F(Win32PlatformFiles, ResolvesExistingNamesWithEitherSeparator) {
    std::string native = file.string();
    EXPECT_EQ(platform.resolveExisting(native), native);
    EXPECT_EQ(platform.resolveExisting(forward(native)), native);
    EXPECT_EQ(platform.resolveExisting(forward((root / "Long Folder Name").string())),
              (root / "Long Folder Name").string());
    EXPECT_EQ(platform.resolveExisting(native + ".missing"), "");
    EXPECT_EQ(platform.resolveExisting(""), "");
}

TEST_F(Win32PlatformFiles, ShortNameIsOneLowerCaseWordThatOpensTheSameFile) {
    std::string shortForm = platform.shortName(forward(file.string()));
    ASSERT_FALSE(shortForm.empty());
    EXPECT_EQ(shortForm.find(' '), std::string::npos) << shortForm;
    for (char c : shortForm) EXPECT_FALSE(c >= 'A' && c <= 'Z') << shortForm;
    EXPECT_EQ(shortForm.substr(shortForm.size() - 4), ".ksc");
    ASSERT_NE(platform.resolveExisting(shortForm), "");
    std::string line;
    std::getline(std::ifstream(shortForm), line);
    EXPECT_EQ(line, "#boot demo");

    EXPECT_EQ(platform.shortName(file.string() + ".missing"), "");
    EXPECT_EQ(platform.shortName(""), "");
}

TEST_F(Win32PlatformFiles, ProgramDirectoryIsTheExecutablesFolderUnlessOverridden) {
    std::string home = platform.programDirectory();
    ASSERT_FALSE(home.empty());
    EXPECT_NE(home.back(), '\\');
    EXPECT_NE(platform.resolveExisting(home + "\\test_platform_win32.exe"), "");

    setEnv("KESTREL_HOME", forward(root.string()) + "/");
    EXPECT_EQ(platform.programDirectory(), root.string());
}

TEST_F(Win32PlatformFiles, LogDirectoryIsCreatedOrEmptyWhenNothingIsWritable) {
    fs::path logs = root / "logs" / "nested";
    setEnv("KESTREL_LOG_DIR", forward(logs.string()));
    EXPECT_EQ(platform.logDirectory(), logs.string());
    EXPECT_TRUE(fs::is_directory(logs));
    EXPECT_TRUE(fs::is_empty(logs));  // the write probe leaves nothing behind

    // A folder cannot be made below a plain file.
    setEnv("KESTREL_LOG_DIR", (file / "log").string());
    EXPECT_EQ(platform.logDirectory(), "");
}

TEST(Win32PlatformNames, SeparatorsAndAbsoluteNames) {
    Win32Platform platform;
    EXPECT_EQ(platform.separator(), '\\');
    EXPECT_EQ(platform.nativePath("c:/data/a b/x.ksc"), "c:\\data\\a b\\x.ksc");
    EXPECT_EQ(platform.nativePath("dir\\mixed/name"), "dir\\mixed\\name");

    EXPECT_TRUE(platform.isAbsolute("C:\\data\\x.ksc"));
    EXPECT_TRUE(platform.isAbsolute("c:x.ksc"));
    EXPECT_TRUE(platform.isAbsolute("\\\\server\\share\\x.ksc"));
    EXPECT_TRUE(platform.isAbsolute("/work/x.ksc"));
    EXPECT_TRUE(platform.isAbsolute("\\rooted.ksc"));
    EXPECT_FALSE(platform.isAbsolute("codesets\\demo\\includes.ksh"));
    EXPECT_FALSE(platform.isAbsolute("x.ksc"));
    EXPECT_FALSE(platform.isAbsolute(""));
}

TEST(Win32PlatformBatch, NothingWaitsAndQuestionsGetTheSafeAnswer) {
    Win32Platform platform;
    EXPECT_TRUE(platform.interactive());
    platform.setBatch(true);
    EXPECT_FALSE(platform.interactive());

    ::testing::internal::CaptureStderr();
    platform.messageBox("File Not Found or user cancel", "Kestrel");
    platform.notice("bad table entry");
    bool answer = platform.askYesNo("File Exists. Delete?", "Delete File");
    std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(answer);
    EXPECT_NE(printed.find("Kestrel: File Not Found or user cancel"), std::string::npos) << printed;
    EXPECT_NE(printed.find("Notice: bad table entry"), std::string::npos) << printed;
    EXPECT_NE(printed.find("Delete File: File Exists. Delete?"), std::string::npos) << printed;

    platform.setAssumeYes(true);
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(platform.askYesNo("File Exists. Delete?", "Delete File"));
    ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(platform.inputBox("Please Enter Offsett:", "Insufficient Data"), std::nullopt);
    FileDialogRequest request;
    request.title = "Open file ....";
    EXPECT_EQ(platform.fileDialog(request), "");
    EXPECT_EQ(platform.shellOpen("C:\\out\\a.buf"), "not started in batch mode: C:\\out\\a.buf");
    EXPECT_EQ(platform.openTextEditor("C:\\out\\a.ksc"), "not started in batch mode: C:\\out\\a.ksc");
}

TEST(Win32PlatformBatch, CriticalReportsOnStderrAndEndsWithStatusTwo) {
    Win32Platform platform;
    platform.setBatch(true);
    ::testing::internal::CaptureStderr();
    int status = -1;
    try {
        platform.critical("buffer 3 overflows");
    } catch (const ProgramExit& exit) {
        status = exit.status;
    }
    std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 2);
    EXPECT_EQ(printed.find("CRITICAL ERROR: buffer 3 overflows"), 0u) << printed;
}

TEST(Win32PlatformDialog, OptionBitsFollowTheRequest) {
    FileDialogRequest open;
    open.mustExist = true;
    EXPECT_EQ(Win32Platform::dialogFlags(open), kFileMustExist | kLongNames | kExplorer | kNoDereferenceLinks);

    open.multiSelect = true;
    EXPECT_EQ(Win32Platform::dialogFlags(open),
              kFileMustExist | kLongNames | kExplorer | kNoDereferenceLinks | kAllowMultiSelect);

    FileDialogRequest save;
    save.save = true;
    EXPECT_EQ(Win32Platform::dialogFlags(save), kOverwritePrompt | kHideReadOnly | kLongNames | kExplorer);

    FileDialogRequest raw;
    raw.title = "Pick one";
    raw.mustExist = true;
    raw.optionBits = 4;
    EXPECT_EQ(Win32Platform::dialogFlags(raw), 4u);
}

TEST(Win32PlatformDialog, ResultBufferBecomesPathOrDirectoryAndNames) {
    using namespace std::string_literals;
    EXPECT_EQ(Win32Platform::joinDialogResult("C:\\x\\a.txt\0\0garbage"s), "C:\\x\\a.txt");
    EXPECT_EQ(Win32Platform::joinDialogResult("C:\\x\0a.txt\0b.txt\0\0\0\0"s), "C:\\x;a.txt;b.txt");
    EXPECT_EQ(Win32Platform::joinDialogResult("\0\0\0"s), "");
    EXPECT_EQ(Win32Platform::joinDialogResult("C:\\full.txt"s), "C:\\full.txt");
}

TEST(Win32PlatformCommandLine, ArgumentsSurviveWindowsCommandLineParsing) {
    EXPECT_EQ(Win32Platform::quoteArgument("C:\\my scripts\\a.ksc"), "\"C:\\my scripts\\a.ksc\"");
    EXPECT_EQ(Win32Platform::quoteArgument(""), "\"\"");
    // Backslashes before the closing quote and before an inner quote double.
    EXPECT_EQ(Win32Platform::quoteArgument("C:\\dir\\"), "\"C:\\dir\\\\\"");
    EXPECT_EQ(Win32Platform::quoteArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(Win32Platform::quoteArgument("a\\\\\"b"), "\"a\\\\\\\\\\\"b\"");
}

}  // namespace
}  // namespace kestrel
