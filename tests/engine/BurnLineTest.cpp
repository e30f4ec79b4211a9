// Burning from the engine: a failed burn is an error that leaves the image
// as it was; the burns of one top-level line share one working copy that
// replaces the image when the line ends.
#include "EngineFixture.h"

#include "services/ImageWorkingCopy.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"

namespace kestrel::test {
namespace {

namespace fs = std::filesystem;

class BurnLine : public EngineTest {
protected:
    const std::string blank = std::string(0x20, '\x55');

    void SetUp() override {
        EngineTest::SetUp();
        write("img.bin", blank);
    }
    static std::string readFile(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string image(const std::string& name = "img.bin") { return readFile(dir_ / name); }
    // Files beside the image whose names start with `prefix`.
    int filesStartingWith(const std::string& prefix) {
        int found = 0;
        for (const auto& entry : fs::directory_iterator(dir_))
            if (entry.path().filename().string().rfind(prefix, 0) == 0) ++found;
        return found;
    }
};

TEST_F(BurnLine, BurnWritesTheLabelAndReplacesTheImageAtTheLinesEnd) {
    run("#org 0x4;#41;#kapop img.bin");
    EXPECT_EQ(errors(), 0);
    EXPECT_EQ(image(), blank.substr(0, 4) + "\x41" + blank.substr(5));
    EXPECT_EQ(filesStartingWith("img.bin."), 0);
}

TEST_F(BurnLine, ReadOnlyImageIsAnErrorAndKeepsItsBytes) {
    fs::permissions(dir_ / "img.bin", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    run("#org 0x4;#41;#kapop img.bin");
    EXPECT_EQ(errors(), 1);
    EXPECT_TRUE(logged("read-only"));
    EXPECT_EQ(image(), blank);
    EXPECT_EQ(filesStartingWith("img.bin."), 0);
    fs::permissions(dir_ / "img.bin", fs::perms::owner_all);
}

TEST_F(BurnLine, FolderIsNoImage) {
    fs::create_directories(dir_ / "folder.bin");
    run("#org 0x4;#41;#kapop folder.bin");
    EXPECT_EQ(errors(), 1);
    EXPECT_TRUE(logged("is a folder"));
}

TEST_F(BurnLine, NegativeAddressLeavesTheImageByteIdentical) {
    run("#org 0xFFFFFFF0;#41424344;#kapop img.bin");
    EXPECT_EQ(errors(), 1);
    EXPECT_TRUE(logged("negative address"));
    EXPECT_FALSE(logged("Invalid Offsett"));
    EXPECT_EQ(image(), blank);
}

TEST_F(BurnLine, GrowingTheImageAsksAndANoKeepsIt) {
    run("#org 0x1E;#41424344;#kapop img.bin");
    EXPECT_EQ(errors(), 1);
    ASSERT_FALSE(platform->boxes.empty());
    EXPECT_EQ(platform->boxes.back(), "Image grows|Burning into 'img.bin' grows it from 32 to 34 bytes. Grow it?");
    EXPECT_EQ(image(), blank);

    platform->yesNoAnswers = {true};
    run("#kapop img.bin");
    EXPECT_EQ(errors(), 1);
    EXPECT_EQ(image(), blank.substr(0, 0x1E) + "\x44\x43\x42\x41");
}

TEST_F(BurnLine, SymbolicLinkStaysALinkAndItsFileIsBurned) {
    fs::create_directories(dir_ / "real");
    write("real/target.bin", blank);
    fs::create_symlink("real/target.bin", dir_ / "img.bin.link");
    run("#org 0x2;#41;#kapop img.bin.link");
    EXPECT_EQ(errors(), 0);
    EXPECT_TRUE(fs::is_symlink(dir_ / "img.bin.link"));
    EXPECT_EQ(fs::read_symlink(dir_ / "img.bin.link"), fs::path("real/target.bin"));
    EXPECT_EQ(image("real/target.bin"), blank.substr(0, 2) + "\x41" + blank.substr(3));
}

TEST_F(BurnLine, PlantedWorkingCopyLinkIsNeitherFollowedNorReplaced) {
    write("victim.txt", "keep me");
    fs::create_symlink("victim.txt", dir_ / "img.bin.burning");
    run("#org 0x4;#41;#kapop img.bin");
    EXPECT_EQ(errors(), 0);
    EXPECT_EQ(readFile(dir_ / "victim.txt"), "keep me");
    EXPECT_TRUE(fs::is_symlink(dir_ / "img.bin.burning"));
    EXPECT_EQ(image(), blank.substr(0, 4) + "\x41" + blank.substr(5));
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir_ / "img.bin.burning1")));
}

TEST_F(BurnLine, HundredBurnsInOneLineCopyTheImageOnce) {
    write("img.bin", std::string(0x100, '\0'));
    std::string script;
    std::string expected;
    for (int i = 0; i < 100; ++i) {
        const char byte = static_cast<char>('0' + i % 64);
        script += "#org 0x" + numeric::hexText(0x10 + i) + "\r\n#" + numeric::hexText(byte) + "\r\n#kapop img.bin\r\n";
        expected += byte;
    }
    write("burns.ksc", script);
    run("#encode burns.ksc");
    EXPECT_EQ(errors(), 0);
    EXPECT_EQ(platform->copies, 1);
    EXPECT_EQ(image().substr(0x10, 100), expected);
    // Another line: another copy.
    run("#kapop img.bin");
    EXPECT_EQ(platform->copies, 2);
}

TEST_F(BurnLine, OneFailedBurnKeepsTheWholeLineOutOfTheImage) {
    run("#org 0x4;#41;#kapop img.bin;#org 0xFFFFFFF0;#42;#kapop img.bin");
    EXPECT_EQ(errors(), 1);
    EXPECT_TRUE(logged("'img.bin' left unchanged: a burn of this line failed"));
    EXPECT_EQ(image(), blank);
    EXPECT_EQ(filesStartingWith("img.bin."), 0);
}

TEST_F(BurnLine, CriticalErrorMidLineLeavesTheImageAsItWas) {
    EXPECT_THROW(run("#org 0x4;#41;#kapop img.bin;#kapow"), ProgramExit);
    EXPECT_EQ(image(), blank);
    EXPECT_EQ(filesStartingWith("img.bin."), 0);
}

TEST_F(BurnLine, ExitEndsTheLineWithItsBurns) {
    try {
        run("#org 0x4;#41;#kapop img.bin;#exit");
        ADD_FAILURE() << "exit did not end the program";
    } catch (const ProgramExit& exit) {
        EXPECT_EQ(exit.status, 0);
    }
    EXPECT_EQ(image(), blank.substr(0, 4) + "\x41" + blank.substr(5));
    EXPECT_EQ(filesStartingWith("img.bin."), 0);
}

TEST_F(BurnLine, FloatingPointerWithoutAnAnswerEndsWithTheCriticalBox) {
    buffers().setBuffer(0, std::string(8, '\0'));
    run("#org 0x4;#41");
    buffers().add_Data("!PTR", "nowhere,0,3");
    EXPECT_THROW(run("#kapop img.bin"), ProgramExit);
    EXPECT_EQ(platform->boxes.back(), "CRITICAL ERROR|Floating Pointers Must Be Pushed");
    EXPECT_EQ(image(), blank);
}

TEST_F(BurnLine, ImageHeldByAnotherBurnIsAnError) {
    ImageWorkingCopy other(*platform, "img.bin");
    run("#org 0x4;#41;#kapop img.bin");
    EXPECT_EQ(errors(), 1);
    EXPECT_TRUE(logged("being burned by another program"));
    other.discard();
    EXPECT_EQ(image(), blank);
}

TEST_F(BurnLine, ReadsWithinTheLineSeeTheWorkingCopy) {
    // Decoding starts from what the set holds: start afresh for each.
    auto decoded = [this](const std::string& line) {
        run("#kableewy");
        run(line);
        const std::string script = readFile(dir_ / "img4.ksc");
        fs::remove(dir_ / "img4.ksc");
        return script;
    };
    const std::string before = decoded("#rawdecode img.bin 0x4 9");
    const std::string within = decoded("#org 0x4;#41424344;#kapop img.bin;#rawdecode img.bin 0x4 9");
    const std::string after = decoded("#rawdecode img.bin 0x4 9");
    EXPECT_EQ(errors(), 0);
    EXPECT_NE(within, before);
    EXPECT_EQ(within, after);
    EXPECT_FALSE(fs::exists(dir_ / "img.bin4.ksc"));
}

}  // namespace
}  // namespace kestrel::test
