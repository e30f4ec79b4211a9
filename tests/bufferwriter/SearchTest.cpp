// The search window's Look and Assign / Reserve on a real image.
#include <gtest/gtest.h>

#include "PloverFixture.h"
#include "bufferwriter/AddressText.h"
#include "bufferwriter/Search.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"

namespace kestrel::test {
namespace {

class SearchTest : public PloverFixture {
protected:
    void SetUp() override {
        list().start(writeBuf("abc.buf", {{0, "a", std::string(10, 'A')}, {0, "b", std::string(20, 'B')}}));
        std::string bytes(0x3000, '\x11');
        std::fill(bytes.begin() + 0x1010, bytes.begin() + 0x1010 + 300, '\0');
        image = path("img.bin");
        spit(image, bytes);
        list().setDestination(image);
    }
    int64_t pushedAt(const std::string& name) {
        const auto text = list().bufferSet().pushed(name);
        return text ? static_cast<int64_t>(numeric::read(*text)) : 0;
    }
    std::string image;
};

TEST_F(SearchTest, LookListsAddressesAsTheListShowsThem) {
    Search& s = list().search();
    EXPECT_EQ(s.commandCaption(), "Assign");
    EXPECT_EQ(s.safetyTooltip(), "min 100");
    s.txtBytes = "30";
    s.pattern = 0;
    s.TxtStart = "0x1000";
    EXPECT_EQ(s.Look(), 1);
    EXPECT_EQ(s.TxtStart, "&h1000");
    EXPECT_EQ(s.LstLocations, (std::vector<std::string>{"&H1011"}));
    s.choose(0);
    EXPECT_EQ(s.txtOffsett, "&H1011");
    EXPECT_TRUE(s.Assign());
    EXPECT_EQ(pushedAt("abc.a"), 0x1011);
    EXPECT_EQ(pushedAt("abc.b"), 0x101B);
    EXPECT_EQ(list().fileService().fileno(), 1);
}

TEST_F(SearchTest, LookWithoutAnImageOrWithBadBoxesListsNothing) {
    Search& s = list().search();
    s.txtBytes = "30";
    s.pattern = 0;
    s.TxtStart = "-1";
    EXPECT_EQ(s.Look(), 0);
    s.TxtStart = "0";
    s.txtBytes = "lots";
    EXPECT_EQ(s.Look(), 0);
    s.txtBytes = "30";
    list().setDestination(path("nothing.bin"));
    EXPECT_EQ(s.Look(), 0);
    list().setDestination("");
    EXPECT_EQ(s.Look(), 0);
    EXPECT_EQ(list().fileService().fileno(), 1);
}

TEST_F(SearchTest, AssignNeedsAValidAddress) {
    Search& s = list().search();
    s.txtOffsett = "";
    EXPECT_FALSE(s.Assign());
    s.txtOffsett = "0";
    EXPECT_FALSE(s.Assign());
    s.txtOffsett = "&HZZ";
    EXPECT_FALSE(s.Assign());
    EXPECT_EQ(pushedAt("abc.a"), 0);
    EXPECT_EQ(list().offsetts().front().text(), "abc.a");
}

TEST_F(SearchTest, ReserveWritesTheOtherFillerOnlyOverFreeRoom) {
    Search& s = list().search();
    s.pattern = 0;
    s.txtBytes = "200";
    s.Reserve = true;
    EXPECT_EQ(s.commandCaption(), "Reserve");
    s.txtOffsett = "&H1010";
    ASSERT_TRUE(s.Assign());
    const std::string bytes = slurp(image);
    EXPECT_EQ(bytes.substr(0x1010, 200), std::string(200, '\xFF'));
    EXPECT_EQ(bytes[0x1010 + 200], '\0');
    EXPECT_EQ(pushedAt("abc.a"), 0x1010);
    // The same room again is no longer free: refused, nothing assigned, nothing written.
    list().bufferSet().pushoffsett("abc.a", 0x500);
    EXPECT_FALSE(s.Assign());
    EXPECT_EQ(pushedAt("abc.a"), 0x500);
    EXPECT_EQ(slurp(image), bytes);
    // Room that runs past the end is refused too.
    s.txtOffsett = "&H2F00";
    EXPECT_FALSE(s.Assign());
    EXPECT_EQ(slurp(image), bytes);
    EXPECT_EQ(list().fileService().fileno(), 1);
}

TEST(AddressText, ReadsUnsignedAndRefusesTheRest) {
    EXPECT_EQ(address::parse("&H9000"), 0x9000);
    EXPECT_EQ(address::parse(" 0x8000 "), 0x8000);
    EXPECT_EQ(address::parse("&hffff"), 0xFFFF);
    EXPECT_EQ(address::parse("4096"), 4096);
    EXPECT_EQ(address::parse("0"), 0);
    EXPECT_EQ(address::parse("&H7FFFFFFF"), 0x7FFFFFFF);
    for (const char* bad : {"", "-1", "&h", "0x", "12abc", "&hZZ", "&h80000000", "1.5", "&o17"})
        EXPECT_THROW(address::parse(bad), FormatError) << bad;
    EXPECT_EQ(address::hex(0x800011), "&H800011");
}

}  // namespace
}  // namespace kestrel::test
