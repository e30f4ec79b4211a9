// Burning: label addresses, pointer patching and the bytes in the image.
#include "BufferFixture.h"

namespace kestrel::test {
namespace {

class Burning : public BufferFixture {
protected:
    // Burns `which` into an image of `size` bytes of `background` and returns the image.
    std::string burnInto(FileBuffer& which, std::size_t size, char background = '\0') {
        std::string image = path("image.bin");
        spit(image, std::string(size, background));
        if (files.OpenFile(image, "read").empty()) ADD_FAILURE() << "cannot open the image";
        which.burnbuffer();
        files.closefile();
        return slurp(path("image.bin"));
    }
    std::string burn() { return burnInto(set, 0x6000); }
    std::string address(const std::string& label) const { return set.pushed(label).value_or("none"); }
};

std::string counting(int n, int first = 1) {
    std::string out;
    for (int i = 0; i < n; ++i) out.push_back(static_cast<char>(first + i));
    return out;
}

TEST_F(Burning, FloatingLabelsFollowTheLabelBeforeThem) {
    const std::string data = counting(50);
    put(set, 0, "a", data.substr(0, 10));
    put(set, 0, "b", data.substr(10, 20));
    put(set, 0, "c", data.substr(30, 20));
    put(set, 1, "d", "DDDD");
    set.pushoffsett("a", 0x1000);
    const std::string image = burn();
    EXPECT_EQ(address("b"), " 4106");  // 0x100A
    EXPECT_EQ(address("c"), " 4126");  // 0x101E
    EXPECT_EQ(address("d"), " 4146");  // 0x1032
    EXPECT_EQ(image.substr(0x1000, 50), data);
    EXPECT_EQ(image.substr(0x1032, 4), "DDDD");
    EXPECT_EQ(image.substr(0x1036, 4), std::string(4, '\0'));
    EXPECT_TRUE(logged(" - Pushed b to 100A"));
    EXPECT_TRUE(logged(" - Putting [" + data.substr(0, 10) + "] at 1000"));
}

TEST_F(Burning, LabelAfterAPushedOneFollowsThePushedLabel) {
    put(set, 0, "a", counting(10));
    put(set, 0, "b", counting(20, 20));
    put(set, 0, "c", counting(20, 40));
    set.pushoffsett("a", 0x1000);
    set.pushoffsett("b", 0x3000);
    burn();
    EXPECT_EQ(address("c"), " 12308");  // 0x3014
}

TEST_F(Burning, AddressNamesPlaceTheirLabelAndZeroMeansFloating) {
    put(set, 0, "&h4000", "XY");
    put(set, 0, "music.&h4100", "ZW");
    put(set, 0, "after", "Q");
    put(set, 0, "zero", "R");
    set.pushoffsett("zero", 0);  // a pushed 0 does not count
    const std::string image = burn();
    EXPECT_EQ(image.substr(0x4000, 2), "XY");
    EXPECT_EQ(image.substr(0x4100, 2), "ZW");
    EXPECT_EQ(address("after"), " 16642");  // 0x4102
    EXPECT_EQ(address("zero"), " 16643");
    EXPECT_EQ(image.substr(0x4102, 2), "QR");
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(Burning, FillWritesOverExactlyTheLabelledBytes) {
    for (int fill : {255, 0}) {
        FileBuffer filled(files);
        put(filled, 2, "", "unlabelled");
        put(filled, 2, "f", "abcdef");
        filled.pushoffsett("f", 0x100);
        filled.fillme = static_cast<int16_t>(fill);
        const std::string image = burnInto(filled, 0x200, '\x55');
        EXPECT_EQ(image.substr(0x100, 6), std::string(6, static_cast<char>(fill))) << fill;
        EXPECT_EQ(image.substr(0xFF, 1), "\x55");
        EXPECT_EQ(image.substr(0x106, 1), "\x55");
        EXPECT_EQ(std::count(image.begin(), image.end(), '\x55'), 0x200 - 6);
        EXPECT_EQ(filled.buffer(2), "unlabelledabcdef");  // the buffers keep their bytes
    }
}

TEST_F(Burning, PointersArePatchedBeforeTheBytesAreWritten) {
    put(set, 0, "main", "go" + std::string("!PTR"), "sub,2,3");
    put(set, 0, "sub", "ret");
    set.pushoffsett("main", 0x2000);
    const std::string image = burn();
    EXPECT_EQ(hexDump(image.substr(0x2000, 9)),
              hexDump("go" + bytes({0x06, 0x20, 0x00, 0x08}) + "ret"));
    EXPECT_TRUE(logged(" - Adjusting sub in 0 at 8002006"));
    // A second burn writes the same bytes again.
    EXPECT_EQ(burn(), image);
}

TEST_F(Burning, UnresolvablePointerEndsTheBurnWithTheCriticalBox) {
    put(set, 0, "main", "!PTR", "nowhere,0,3");
    set.pushoffsett("main", 0x10);
    spit(path("image.bin"), std::string(0x40, '\0'));
    std::string name = path("image.bin");
    files.OpenFile(name, "read");
    EXPECT_THROW(set.burnbuffer(), ProgramExit);
    EXPECT_EQ(platform.boxes.back(), "CRITICAL ERROR|Floating Pointers Must Be Pushed");
}

TEST_F(Burning, ANameInTwoBuffersIsWrittenTwiceAtItsLastAddress) {
    put(set, 0, "twin", "AAAA");
    put(set, 1, "Twin", "BB");
    set.pushoffsett("first", 0x10);  // unrelated entries do not disturb the lookups
    const std::string image = burn();
    // Buffer 1's label floats to 4 and replaces the address of buffer 0's,
    // so both are written at 4: the later one last.
    EXPECT_EQ(address("TWIN"), " 4");
    EXPECT_EQ(image.substr(0, 8), std::string("\0\0\0\0BBAA", 8));
}

} // namespace
} // namespace kestrel::test
