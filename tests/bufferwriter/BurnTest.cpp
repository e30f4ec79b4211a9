// Burning from the buffer writer: the plan comes first, the image is either
// as it was or fully burned, and the file stack is left as it was found.
#include <gtest/gtest.h>

#include <filesystem>

#include "PloverFixture.h"
#include "bufferwriter/BurnReview.h"
#include "bufferwriter/Search.h"
#include "text/Numeric.h"

namespace kestrel::test {
namespace {

class PloverBurnTest : public PloverFixture {
protected:
    void SetUp() override {
        list().start(
            writeBuf("abc.buf",
                     {{0, "a", std::string(10, 'A')}, {0, "b", std::string(20, 'B')}, {0, "c", std::string(5, 'C')}}));
        image = writeImage("img.bin", 0x2000);
        list().setDestination(image);
    }
    bool noLeftovers() const { return !std::filesystem::exists(image + ".burning"); }

    std::string image;
};

TEST_F(PloverBurnTest, PlacedLabelsLandAtTheirAddresses) {
    list().selectAll(true);
    list().pushthese(0x1000);
    ASSERT_TRUE(list().burn());
    const std::string burned = slurp(image);
    EXPECT_EQ(burned.substr(0x1000, 35), std::string(10, 'A') + std::string(20, 'B') + std::string(5, 'C'));
    EXPECT_EQ(burned.size(), 0x2000u);
    EXPECT_EQ(burned[0xFFF], '\xFF');
    EXPECT_EQ(burned[0x1023], '\xFF');
    EXPECT_EQ(list().view(), BufList::View::Log);
    EXPECT_TRUE(noLeftovers());
}

TEST_F(PloverBurnTest, OverlappingLabelsAskAndNoBurnsNothing) {
    list().setSelected(0, true);
    list().setSelected(2, true);
    list().pushthese(0x1000);  // a at 1000, c at 100A; b floats behind a onto c
    const std::string before = slurp(image);
    EXPECT_FALSE(list().burn());
    EXPECT_EQ(slurp(image), before);
    EXPECT_EQ(platform.boxes.back().rfind("Burn|", 0), 0u);
    EXPECT_NE(platform.boxes.back().find("abc.c"), std::string::npos);
    EXPECT_TRUE(noLeftovers());
    platform.yesNoAnswers.push_back(true);
    EXPECT_TRUE(list().burn());
    // Written in list order: c lands over the start of b.
    EXPECT_EQ(slurp(image).substr(0x100A, 20), std::string(5, 'C') + std::string(15, 'B'));
}

TEST_F(PloverBurnTest, LabelsPastTheImagesEndAreReported) {
    list().selectAll(true);
    list().pushthese(0x1FF0);
    const BurnReview review = list().review(false);
    ASSERT_FALSE(review.warnings.empty());
    EXPECT_NE(review.warnings.front().find("runs past the end"), std::string::npos);
    EXPECT_FALSE(list().burn());
    EXPECT_EQ(std::filesystem::file_size(image), 0x2000u);
}

TEST_F(PloverBurnTest, ALabelFloatingFromZeroAsksForItsOwnStart) {
    const std::string before = slurp(image);
    EXPECT_FALSE(list().burn());  // cancelled
    EXPECT_EQ(platform.boxes.back(), "No starting offset.|Please specify offset");
    EXPECT_EQ(slurp(image), before);
    platform.inputAnswers.push_back("0x800");
    ASSERT_TRUE(list().burn());
    EXPECT_EQ(slurp(image).substr(0x800, 11), std::string(10, 'A') + "B");
    EXPECT_EQ(list().offsetts()[2].text(), "abc.c (81E)");
}

TEST_F(PloverBurnTest, APlanChangesNothing) {
    list().selectAll(true);
    list().pushthese(0x1000);
    const BurnReview review = list().review(false);
    ASSERT_EQ(review.plan.labels.size(), 3u);
    EXPECT_EQ(review.plan.labels[1].address, 0x100A);
    EXPECT_EQ(review.plan.labels[2].size, 5);
    EXPECT_FALSE(review.refused());
    EXPECT_EQ(review.lines().front(), "label abc.a at &H1000, 10 bytes");
    EXPECT_EQ(slurp(image), std::string(0x2000, '\xFF'));
}

TEST_F(PloverBurnTest, TheFileStackIsBackAtTheLogAfterManyRounds) {
    list().selectAll(true);
    list().pushthese(0x1000);
    Search& search = list().search();
    for (int round = 0; round < 20; ++round) {
        search.txtBytes = "16";
        search.TxtStart = "0";
        search.Reserve = false;
        search.Look();
        search.Reserve = true;
        search.txtOffsett = "&H1800";
        search.Assign();  // refused after the first round: the room is no longer filler
        list().burn();
        ASSERT_EQ(list().fileService().fileno(), 1) << "round " << round;
    }
    EXPECT_TRUE(noLeftovers());
}

class PloverPointerTest : public PloverFixture {};

TEST_F(PloverPointerTest, PointersArePatchedWithTheTargetsAddress) {
    list().start(writeBuf("ptr.buf", {{0, "main", std::string("\x07!PTR", 5), "next,1,3"}, {0, "next", "\x09"}}));
    const std::string image = writeImage("img.bin", 0x100, '\0');
    list().setDestination(image);
    list().selectAll(true);
    list().pushthese(0x20);
    ASSERT_TRUE(list().burn());
    const std::string burned = slurp(image);
    // next at 0x25; with autobank the pointer is 0x08000025.
    EXPECT_EQ(burned.substr(0x20, 6), std::string("\x07\x25\x00\x00\x08\x09", 6));
}

TEST_F(PloverPointerTest, AMissingPointerAddressCancelledBurnsNothing) {
    list().start(writeBuf("ptr.buf", {{0, "main", std::string("\x07!PTR", 5), "elsewhere,1,3"}}));
    const std::string image = writeImage("img.bin", 0x100, '\0');
    list().setDestination(image);
    list().pushthese(0x10);
    EXPECT_FALSE(list().burn());
    EXPECT_EQ(platform.boxes.back(), "Floating Pointer must be pushed|Enter offset for ptr.elsewhere:");
    EXPECT_EQ(slurp(image), std::string(0x100, '\0'));
    // Given on the Floating Pointers view, the burn goes through without a question.
    list().setView(BufList::View::FloatingPointers);
    platform.inputAnswers.push_back("&h44");
    list().insert();
    platform.boxes.clear();
    ASSERT_TRUE(list().burn());
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(slurp(image).substr(0x10, 5), std::string("\x07\x44\x00\x00\x08", 5));
}

TEST_F(PloverPointerTest, AutobankOffAndFillWriteWhatTheOptionsSay) {
    list().start(writeBuf("ptr.buf", {{0, "main", std::string("\x07!PTR", 5), "main,1,3"}}));
    const std::string image = writeImage("img.bin", 0x40, '\0');
    list().setDestination(image);
    list().pushthese(0x9000 - 0x8FF0);
    list().setAutobank(false);
    ASSERT_TRUE(list().burn());
    EXPECT_EQ(slurp(image).substr(0x10, 5), std::string("\x07\x10\x00\x00\x00", 5));
    list().setFill(255);
    ASSERT_TRUE(list().burn());
    EXPECT_EQ(slurp(image).substr(0x10, 5), std::string(5, '\xFF'));
}

}  // namespace
}  // namespace kestrel::test
