// PosixPlatform's file operations for burns: exclusive copies that never
// follow a planted link, locks that exclude each other, atomic replacement.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "platform/posix/PosixPlatform.h"
#include "support/ScratchFolder.h"
#include "text/KestrelError.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

class PosixFiles : public ::testing::Test {
protected:
    void SetUp() override { scratch_.spit("image.bin", "IMAGE"); }
    std::string at(const std::string& name) const { return scratch_.at(name); }
    void spit(const std::string& name, const std::string& bytes) { scratch_.spit(name, bytes); }
    std::string slurp(const std::string& name) const { return scratch_.slurp(name); }

    test::ScratchFolder scratch_{"kestrel-files-"};
    PosixPlatform platform_;
};

TEST_F(PosixFiles, CopyGoesToANewFileWithTheOriginalsPermissions) {
    fs::permissions(at("image.bin"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(platform_.copyToNewFile(at("image.bin"), at("copy.bin")));
    EXPECT_EQ(slurp("copy.bin"), "IMAGE");
    EXPECT_EQ(fs::status(at("copy.bin")).permissions(), fs::status(at("image.bin")).permissions());
}

TEST_F(PosixFiles, CopyNeverFollowsOrReplacesWhatHasTheName) {
    spit("victim.txt", "keep");
    fs::create_symlink(at("victim.txt"), at("planted"));
    EXPECT_FALSE(platform_.copyToNewFile(at("image.bin"), at("planted")));
    EXPECT_EQ(slurp("victim.txt"), "keep");
    EXPECT_TRUE(fs::is_symlink(at("planted")));

    // A dangling link too: following it would create the file it names.
    fs::create_symlink(at("nowhere.txt"), at("dangling"));
    EXPECT_FALSE(platform_.copyToNewFile(at("image.bin"), at("dangling")));
    EXPECT_FALSE(fs::exists(at("nowhere.txt")));

    spit("plain", "old");
    EXPECT_FALSE(platform_.copyToNewFile(at("image.bin"), at("plain")));
    EXPECT_EQ(slurp("plain"), "old");
}

TEST_F(PosixFiles, CopyOfWhatIsNoFileFailsWithoutLeavingACopy) {
    fs::create_directories(at("folder"));
    EXPECT_THROW(platform_.copyToNewFile(at("folder"), at("copy")), FileError);
    EXPECT_THROW(platform_.copyToNewFile(at("missing"), at("copy")), FileError);
    EXPECT_FALSE(fs::exists(fs::symlink_status(at("copy"))));
}

TEST_F(PosixFiles, LocksExcludeEachOtherUntilReleased) {
    auto first = platform_.lockFile(at("image.bin"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(platform_.lockFile(at("image.bin")), nullptr);
    first.reset();
    EXPECT_NE(platform_.lockFile(at("image.bin")), nullptr);
    EXPECT_THROW(platform_.lockFile(at("missing")), FileError);
}

TEST_F(PosixFiles, LockFollowsTheFileNowUnderTheName) {
    auto held = platform_.lockFile(at("image.bin"));
    ASSERT_NE(held, nullptr);
    // Another burn replaced the image: the new file is free to lock.
    spit("new.bin", "NEW");
    platform_.replaceFile(at("new.bin"), at("image.bin"));
    EXPECT_NE(platform_.lockFile(at("image.bin")), nullptr);
}

TEST_F(PosixFiles, ReplaceSwapsTheFileInOneStep) {
    spit("next.bin", "NEXT");
    platform_.replaceFile(at("next.bin"), at("image.bin"));
    EXPECT_EQ(slurp("image.bin"), "NEXT");
    EXPECT_FALSE(fs::exists(at("next.bin")));
    EXPECT_THROW(platform_.replaceFile(at("gone.bin"), at("image.bin")), FileError);
    EXPECT_EQ(slurp("image.bin"), "NEXT");
}

TEST_F(PosixFiles, NewFilesAreWrittenOnlyUnderNewNames) {
    EXPECT_TRUE(platform_.writeNewFile(at("new.txt"), std::string("a\0b", 3)));
    EXPECT_EQ(slurp("new.txt"), std::string("a\0b", 3));
    EXPECT_FALSE(platform_.writeNewFile(at("new.txt"), "other"));
    EXPECT_EQ(slurp("new.txt"), std::string("a\0b", 3));
    // A link at the name is not followed, even to a file that does not exist.
    fs::create_symlink(at("target.txt"), at("link.txt"));
    EXPECT_FALSE(platform_.writeNewFile(at("link.txt"), "x"));
    EXPECT_FALSE(fs::exists(at("target.txt")));
    EXPECT_THROW(platform_.writeNewFile(at("no/such/folder.txt"), "x"), FileError);
}

}  // namespace
}  // namespace kestrel
