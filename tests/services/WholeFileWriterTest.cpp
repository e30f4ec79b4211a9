// Output files written whole: a new file beside the target replaces it, an
// existing target only after a Yes, a link keeps pointing at the new bytes.
#include <gtest/gtest.h>

#include <filesystem>

#include "services/WholeFileWriter.h"
#include "support/FakePlatform.h"
#include "support/ScratchFolder.h"
#include "text/KestrelError.h"

namespace kestrel::test {
namespace {

namespace fs = std::filesystem;

class WholeFile : public ::testing::Test {
protected:
    std::string at(const std::string& name) const { return scratch_.at(name); }
    int entries() const {
        int count = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(scratch_.root())) ++count;
        return count;
    }

    ScratchFolder scratch_{"kestrel-whole-"};
    FakePlatform platform_;
};

TEST_F(WholeFile, ANewFileIsWrittenWithoutAQuestion) {
    ASSERT_TRUE(WholeFileWriter::write(platform_, at("out.sym"), "08000000 a\n"));
    EXPECT_EQ(scratch_.slurp("out.sym"), "08000000 a\n");
    EXPECT_TRUE(platform_.boxes.empty());
    EXPECT_EQ(entries(), 1) << "no temporary file is left";
}

TEST_F(WholeFile, AnExistingFileIsReplacedOnlyAfterYes) {
    scratch_.spit("out.sym", "old");
    EXPECT_FALSE(WholeFileWriter::write(platform_, at("out.sym"), "new"));
    EXPECT_EQ(scratch_.slurp("out.sym"), "old");
    ASSERT_EQ(platform_.boxes.size(), 1u);
    EXPECT_NE(platform_.boxes.front().find("exists. Replace it?"), std::string::npos);
    platform_.yesNoAnswers.push_back(true);
    EXPECT_TRUE(WholeFileWriter::write(platform_, at("out.sym"), "new"));
    EXPECT_EQ(scratch_.slurp("out.sym"), "new");
    EXPECT_EQ(entries(), 1);
}

TEST_F(WholeFile, TakenTemporaryNamesAreSkippedAndLinksKept) {
    scratch_.spit("real.ips", "old");
    scratch_.spit("real.ips.writing", "someone else's");
    fs::create_symlink("real.ips", at("link.ips"));
    platform_.yesNoAnswers.push_back(true);
    ASSERT_TRUE(WholeFileWriter::write(platform_, at("link.ips"), "PATCHEOF"));
    EXPECT_TRUE(fs::is_symlink(at("link.ips")));
    EXPECT_EQ(scratch_.slurp("real.ips"), "PATCHEOF");
    EXPECT_EQ(scratch_.slurp("real.ips.writing"), "someone else's");
    EXPECT_FALSE(fs::exists(at("real.ips.writing1")));
}

TEST_F(WholeFile, AFolderOrAMissingFolderIsAnError) {
    fs::create_directories(at("folder.sym"));
    EXPECT_THROW(WholeFileWriter::write(platform_, at("folder.sym"), "x"), FileError);
    EXPECT_THROW(WholeFileWriter::write(platform_, at("missing/out.sym"), "x"), FileError);
    EXPECT_EQ(entries(), 1);
}

} // namespace
} // namespace kestrel::test
