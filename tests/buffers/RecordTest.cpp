// Record data: Draw turns data lines into bytes, undraw turns bytes into
// "#move " lines.
#include "BufferFixture.h"

#include "buffers/Record.h"

namespace kestrel::test {
namespace {

class Records : public BufferFixture {
protected:
    Record record{files.log(), autobank};
};

TEST_F(Records, DrawEncodesWidthsAndHexValues) {
    std::string text = "raw 1 2 i 1234";
    std::string list = "stale";
    record.Draw(text, list);
    EXPECT_EQ(hexDump(text), hexDump(bytes({0x01, 0x02, 0x34, 0x12})));
    EXPECT_EQ(list, "");

    text = "binary l 10 b &h7F word FFFF";
    record.Draw(text, list);
    EXPECT_EQ(hexDump(text), hexDump(bytes({0x10, 0, 0, 0, 0x7F, 0xFF, 0xFF})));
}

TEST_F(Records, DrawTurnsPointerValuesIntoPlaceholders) {
    std::string data;
    std::string list;
    record.Draw("move p 8001234", data, list);
    EXPECT_EQ(data, "!PTR");
    EXPECT_EQ(list, "&h8001234,0,3");
}

TEST_F(Records, DrawLeavesOtherKindsAlone) {
    std::string text = "data 1 2 3";
    std::string list = "stale";
    record.Draw(text, list);
    EXPECT_EQ(text, "data 1 2 3");
    EXPECT_EQ(list, "");
    EXPECT_TRUE(logged("not implimented"));
}

TEST_F(Records, UndrawStopsAtFFWhenAsked) {
    std::string data = bytes({0x01, 0x02, 0xFF, 0x05});
    record.undraw(data, true);
    EXPECT_EQ(data, "#move &h1 &h2 &hFF ");
    EXPECT_TRUE(logged(" - MOVEMENT DATA ASSUMED"));
    data = bytes({0x01, 0x02, 0xFF, 0x05});
    record.undraw(data, false);
    EXPECT_EQ(data, "#move &h1 &h2 &hFF &h5 ");
}

TEST_F(Records, UndrawBreaksLinesAfterEverySixValues) {
    std::string data = bytes({1, 2, 3, 4, 5, 6, 7, 8});
    record.undraw(data, false);
    EXPECT_EQ(data, "#move &h1 &h2 &h3 &h4 &h5 &h6 \r\n#move &h7 &h8 ");

    data = std::string(14, '\x0A');
    record.undraw(data, false);
    const std::string six = "#move &hA &hA &hA &hA &hA &hA ";
    EXPECT_EQ(data, six + "\r\n" + six + "\r\n#move &hA &hA ");
}

TEST_F(Records, UndrawConvertsAtMost256Bytes) {
    std::string data(300, '\x10');
    record.undraw(data, false);
    std::size_t values = 0;
    for (std::size_t at = data.find("&h10"); at != std::string::npos; at = data.find("&h10", at + 1)) ++values;
    EXPECT_EQ(values, 256u);
    EXPECT_EQ(std::count(data.begin(), data.end(), '\n'), 42);  // 256 values, six a line: 43 lines
}

}  // namespace
}  // namespace kestrel::test
