// A patch from plover is the burn without the image changing: applied to the
// original image by an independent reader, each patch gives the image the
// burn writes, byte for byte, over random images and label sets.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "PloverFixture.h"
#include "ReferencePatch.h"

namespace kestrel::test {
namespace {

class PatchBurnTest : public PloverFixture {
protected:
    std::string randomBytes(std::size_t size) {
        std::uniform_int_distribution<int> value(0, 3);
        std::string bytes(size, '\0');
        for (char& c : bytes) c = static_cast<char>(value(random) * 0x55);
        return bytes;
    }
    // A buffer file of labels l0, l1, ... in buffers 0 to 2, some holding
    // pointers to others.
    std::string randomBuffers(const std::string& name, int labels) {
        std::vector<LabelSpec> specs;
        std::uniform_int_distribution<int> buffer(0, 2);
        std::uniform_int_distribution<std::size_t> size(1, 48);
        std::uniform_int_distribution<int> target(0, labels - 1);
        std::bernoulli_distribution pointer(0.4);
        for (int k = 0; k < labels; ++k) {
            std::string data = randomBytes(size(random));
            std::string pointers;
            if (pointer(random)) {
                pointers = "l" + std::to_string(target(random)) + "," + std::to_string(data.size()) + ",3";
                data += "!PTR";
            }
            specs.emplace_back(buffer(random), "l" + std::to_string(k), data, pointers);
        }
        return writeBuf(name, specs);
    }

    std::mt19937 random{7041};
};

TEST_F(PatchBurnTest, EveryPatchAppliedToTheOriginalIsTheBurnedImage) {
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::uniform_int_distribution<std::size_t> imageSize(0x100, 0x3000);
        std::uniform_int_distribution<int> labels(1, 8);
        const std::string name = "r" + std::to_string(round);
        const std::string original = randomBytes(imageSize(random));
        const std::string image = path(name + ".bin");
        spit(image, original);
        const std::string buffers = randomBuffers(name + ".buf", labels(random));

        BufList plover(platform);
        plover.start(buffers);
        plover.setDestination(image);
        plover.setAutobank(std::bernoulli_distribution(0.5)(random));
        std::uniform_int_distribution<int> fill(0, 5);
        const int chosen = fill(random);
        plover.setFill(chosen == 0 ? 0 : chosen == 1 ? 255 : -1);
        // Labels anywhere, past the end too; overlaps are answered Yes.
        std::uniform_int_distribution<int64_t> where(1, static_cast<int64_t>(original.size()) + 0x200);
        for (const auto& entry : std::vector<BufList::Entry>(plover.offsetts()))
            if (std::bernoulli_distribution(0.7)(random)) plover.pushName(entry.name, where(random));
        if (plover.review(false).complete == false) plover.pushName(plover.offsetts().front().name, where(random));

        for (const std::string extension : {".ips", ".bps"}) {
            platform.yesNoAnswers.assign(1, true);
            ASSERT_TRUE(plover.writePatch(path(name + extension))) << plover.log();
        }
        ASSERT_EQ(slurp(image), original) << "a patch leaves the image alone";
        platform.yesNoAnswers.assign(1, true);
        ASSERT_TRUE(plover.burn()) << plover.log();
        const std::string burned = slurp(image);
        EXPECT_EQ(reference::applyIps(slurp(path(name + ".ips")), original), burned);
        EXPECT_EQ(reference::applyBps(slurp(path(name + ".bps")), original), burned);
    }
}

TEST_F(PatchBurnTest, PatchesNeedAKnownExtensionAndAnImage) {
    list().start(writeBuf("a.buf", {{0, "x", "\x01\x02"}}));
    list().pushName("a.x", 0x10);
    list().setDestination(writeImage("img.bin", 0x40));
    EXPECT_FALSE(list().writePatch(path("a.diff")));
    EXPECT_TRUE(logged(".ips or .bps"));
    EXPECT_FALSE(std::filesystem::exists(path("a.diff")));
    list().setDestination(path("missing.bin"));
    EXPECT_FALSE(list().writePatch(path("a.ips")));
    EXPECT_FALSE(std::filesystem::exists(path("a.ips")));
}

TEST_F(PatchBurnTest, AnExistingPatchIsReplacedOnlyWithYes) {
    list().start(writeBuf("a.buf", {{0, "x", "\x01\x02"}}));
    list().pushName("a.x", 0x10);
    list().setDestination(writeImage("img.bin", 0x40));
    spit(path("a.ips"), "old");
    EXPECT_FALSE(list().writePatch(path("a.ips")));
    EXPECT_EQ(slurp(path("a.ips")), "old");
    platform.yesNoAnswers.assign(1, true);
    EXPECT_TRUE(list().writePatch(path("a.ips")));
    EXPECT_EQ(reference::applyIps(slurp(path("a.ips")), std::string(0x40, '\xFF')).substr(0x10, 2), "\x01\x02");
    for (const auto& entry : std::filesystem::directory_iterator(path("")))
        EXPECT_EQ(entry.path().string().find(".writing"), std::string::npos) << entry.path();
}

TEST_F(PatchBurnTest, IpsRefusesAnImageChangedBeyond16MiB) {
    list().start(writeBuf("a.buf", {{0, "x", "\x01\x02"}}));
    list().pushName("a.x", 0x1000000);
    list().setDestination(writeImage("img.bin", 0x40));
    platform.yesNoAnswers.assign(2, true);  // past the image's end
    EXPECT_FALSE(list().writePatch(path("a.ips")));
    EXPECT_TRUE(logged("beyond the 16 MiB"));
    EXPECT_FALSE(std::filesystem::exists(path("a.ips")));
    platform.yesNoAnswers.assign(2, true);
    EXPECT_TRUE(list().writePatch(path("a.bps")));
    EXPECT_EQ(std::filesystem::file_size(path("img.bin")), 0x40u);
}

TEST_F(PatchBurnTest, SymbolsListTheBurnedLabelsByAddress) {
    list().start(writeBuf("s.buf", {{0, "zeta", "\x01\x02"}, {0, "alpha", "\x03"}, {1, "beta", "\x04"}}));
    list().pushName("s.zeta", 0x20);
    list().pushName("s.beta", 0x10);
    list().setDestination(writeImage("img.bin", 0x40));
    ASSERT_TRUE(list().burn());
    ASSERT_NE(list().lastPlan(), nullptr);
    ASSERT_TRUE(list().writeSymbols(path("s.sym"), *list().lastPlan()));
    EXPECT_EQ(slurp(path("s.sym")), "08000010 s.beta\n08000020 s.zeta\n08000022 s.alpha\n");
    list().setAutobank(false);
    platform.yesNoAnswers.assign(1, true);  // replace s.sym
    ASSERT_TRUE(list().writeSymbols(path("s.sym"), list().review(false).plan));
    EXPECT_EQ(slurp(path("s.sym")), "00000010 s.beta\n00000020 s.zeta\n00000022 s.alpha\n");
}

}  // namespace
}  // namespace kestrel::test
