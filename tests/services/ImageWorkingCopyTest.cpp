// The working copy of an image: links followed to the real file, the copy's
// name never taken over, commit and discard.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "services/ImageWorkingCopy.h"
#include "support/FakePlatform.h"
#include "support/ScratchFolder.h"
#include "text/KestrelError.h"

namespace kestrel::test {
namespace {

namespace fs = std::filesystem;

class WorkingCopy : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root_ / "real");
        spit("real/image.bin", "OLD");
    }
    std::string at(const std::string& name) const { return scratch_.at(name); }
    void spit(const std::string& name, const std::string& bytes) { scratch_.spit(name, bytes); }
    std::string slurp(const std::string& name) const { return scratch_.slurp(name); }

    ScratchFolder scratch_{"kestrel-copy-"};
    const fs::path& root_ = scratch_.root();
    FakePlatform platform_;
};

TEST_F(WorkingCopy, LinksAreFollowedFromTheirOwnFolder) {
    fs::create_symlink("real/image.bin", at("first"));
    fs::create_symlink("first", at("second"));
    EXPECT_EQ(fs::path(ImageWorkingCopy::followLinks(at("second"))), root_ / "real/image.bin");
    EXPECT_EQ(ImageWorkingCopy::followLinks(at("real/image.bin")), at("real/image.bin"));
    EXPECT_EQ(ImageWorkingCopy::identity(at("second")), ImageWorkingCopy::identity(at("real/../real/image.bin")));

    fs::create_symlink("loop", at("loop"));
    EXPECT_THROW(ImageWorkingCopy::followLinks(at("loop")), BurnError);
}

TEST_F(WorkingCopy, CommitReplacesTheRealFileAndKeepsTheLink) {
    fs::create_symlink("real/image.bin", at("link.bin"));
    ImageWorkingCopy copy(platform_, at("link.bin"));
    EXPECT_EQ(fs::path(copy.path()), root_ / "real/image.bin.burning");
    std::ofstream(copy.path(), std::ios::binary | std::ios::app) << "+NEW";
    EXPECT_EQ(slurp("real/image.bin"), "OLD");
    copy.commit();
    EXPECT_EQ(slurp("real/image.bin"), "OLD+NEW");
    EXPECT_TRUE(fs::is_symlink(at("link.bin")));
    EXPECT_FALSE(copy.open());
}

TEST_F(WorkingCopy, TakenNamesAreSkippedAndLeftAlone) {
    spit("real/image.bin.burning", "someone's");
    ImageWorkingCopy copy(platform_, at("real/image.bin"));
    EXPECT_EQ(copy.path(), at("real/image.bin") + ".burning1");
    copy.discard();
    EXPECT_EQ(slurp("real/image.bin.burning"), "someone's");
    EXPECT_FALSE(fs::exists(at("real/image.bin.burning1")));
}

TEST_F(WorkingCopy, UncommittedCopyIsRemovedAndTheLockReleased) {
    {
        ImageWorkingCopy copy(platform_, at("real/image.bin"));
        EXPECT_THROW(ImageWorkingCopy(platform_, at("real/image.bin")), BurnError);
    }
    EXPECT_FALSE(fs::exists(at("real/image.bin.burning")));
    EXPECT_NO_THROW(ImageWorkingCopy(platform_, at("real/image.bin")));
    EXPECT_EQ(slurp("real/image.bin"), "OLD");
}

TEST_F(WorkingCopy, OnlyWritableRegularFilesAreTaken) {
    EXPECT_THROW(ImageWorkingCopy(platform_, at("real")), BurnError);
    EXPECT_THROW(ImageWorkingCopy(platform_, at("missing.bin")), BurnError);
    fs::permissions(at("real/image.bin"), fs::perms::owner_read);
    EXPECT_THROW(ImageWorkingCopy(platform_, at("real/image.bin")), BurnError);
    EXPECT_FALSE(fs::exists(at("real/image.bin.burning")));
}

}  // namespace
}  // namespace kestrel::test
