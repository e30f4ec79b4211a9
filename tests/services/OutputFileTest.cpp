// Output files written whole: a new file, a replaced one, a scratch name
// already taken, and a target that cannot be written, which keeps its bytes
// and leaves no scratch file.
#include <gtest/gtest.h>

#include <filesystem>

#include "services/OutputFile.h"
#include "support/FakePlatform.h"
#include "support/ScratchFolder.h"
#include "text/KestrelError.h"

namespace kestrel::test {
namespace {

namespace fs = std::filesystem;

class OutputFileTest : public ::testing::Test {
protected:
    std::size_t files() const {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& entry : fs::recursive_directory_iterator(scratch_.root())) ++n;
        return n;
    }

    ScratchFolder scratch_{"kestrel-output-"};
    FakePlatform platform_;
};

TEST_F(OutputFileTest, WritesNewFilesAndReplacesOldOnesWhole) {
    OutputFile::write(platform_, scratch_.at("a.tbl"), std::string("20=A\r\n\0x", 8));
    EXPECT_EQ(scratch_.slurp("a.tbl"), std::string("20=A\r\n\0x", 8));
    scratch_.spit("a.tbl.writing", "someone else's");
    OutputFile::write(platform_, scratch_.at("a.tbl"), "");
    EXPECT_EQ(scratch_.slurp("a.tbl"), "");
    EXPECT_EQ(scratch_.slurp("a.tbl.writing"), "someone else's");
    EXPECT_EQ(files(), 2u);
}

TEST_F(OutputFileTest, AFailedWriteLeavesTheTargetAndNoScratchFile) {
    fs::create_directory(scratch_.at("folder"));
    EXPECT_THROW(OutputFile::write(platform_, scratch_.at("folder"), "x"), FileError);
    EXPECT_THROW(OutputFile::write(platform_, scratch_.at("missing/a.tbl"), "x"), FileError);
    EXPECT_EQ(files(), 1u);
}

TEST_F(OutputFileTest, AnExistingTargetIsReplacedOnlyAfterYes) {
    EXPECT_TRUE(OutputFile::mayReplace(platform_, scratch_.at("out.sym")));
    EXPECT_TRUE(platform_.boxes.empty()) << "nothing to ask about a new file";
    scratch_.spit("out.sym", "old");
    EXPECT_FALSE(OutputFile::mayReplace(platform_, scratch_.at("out.sym")));
    ASSERT_EQ(platform_.boxes.size(), 1u);
    EXPECT_NE(platform_.boxes.front().find("exists. Replace it?"), std::string::npos);
    platform_.yesNoAnswers.push_back(true);
    EXPECT_TRUE(OutputFile::mayReplace(platform_, scratch_.at("out.sym")));
}

TEST_F(OutputFileTest, ALinkStaysALinkToTheNewBytes) {
    scratch_.spit("real.ips", "old");
    fs::create_symlink("real.ips", scratch_.at("link.ips"));
    // A link planted at the scratch name is not followed.
    fs::create_symlink("elsewhere", scratch_.at("real.ips.writing"));
    OutputFile::write(platform_, scratch_.at("link.ips"), "PATCHEOF");
    EXPECT_TRUE(fs::is_symlink(scratch_.at("link.ips")));
    EXPECT_EQ(scratch_.slurp("real.ips"), "PATCHEOF");
    EXPECT_FALSE(fs::exists(scratch_.at("elsewhere")));
    EXPECT_EQ(files(), 3u);
}

}  // namespace
}  // namespace kestrel::test
