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
        if (!files.OpenFile(image, FileHandle::OpenMode::read)) ADD_FAILURE() << "cannot open the image";
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
        FileBuffer filled(files, autobank);
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
    EXPECT_EQ(hexDump(image.substr(0x2000, 9)), hexDump("go" + bytes({0x06, 0x20, 0x00, 0x08}) + "ret"));
    EXPECT_TRUE(logged(" - Adjusting sub in 0 at 8002006"));
    // A second burn writes the same bytes again.
    EXPECT_EQ(burn(), image);
}

TEST_F(Burning, UnresolvablePointerStopsTheBurnBeforeAnyByteIsWritten) {
    put(set, 0, "main", "!PTR", "nowhere,0,3");
    set.pushoffsett("main", 0x10);
    spit(path("image.bin"), std::string(0x40, '\0'));
    std::string name = path("image.bin");
    files.OpenFile(name, FileHandle::OpenMode::read);
    EXPECT_THROW(set.burnbuffer(), FloatingPointerError);
    files.closefile();
    EXPECT_EQ(platform.boxes.back(), "Floating Pointer must be pushed|Enter offset for nowhere:");
    EXPECT_EQ(slurp(path("image.bin")), std::string(0x40, '\0'));
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

TEST_F(Burning, PlanGivesEveryAddressAndValueWithoutChangingTheSet) {
    put(set, 0, "main", "go!PTR", "sub,2,3");
    put(set, 0, "sub", "ret");
    put(set, 1, "text", "hello");
    set.pushoffsett("main", 0x2000);
    const std::size_t logLines = platform.boxes.size();
    const BurnPlan plan = set.planBurn();

    ASSERT_TRUE(plan.ok()) << plan.describeProblems();
    ASSERT_EQ(plan.labels.size(), 3u);
    EXPECT_EQ(plan.labels[0].address, 0x2000);
    EXPECT_FALSE(plan.labels[0].pushes);
    EXPECT_EQ(plan.labels[1].name, "sub");
    EXPECT_EQ(plan.labels[1].address, 0x2006);
    EXPECT_EQ(plan.labels[1].size, 3);
    EXPECT_TRUE(plan.labels[1].pushes);
    EXPECT_EQ(plan.labels[2].buffer, 1);
    EXPECT_EQ(plan.labels[2].number, 1);
    EXPECT_EQ(plan.labels[2].address, 0x2009);
    ASSERT_EQ(plan.pointers.size(), 1u);
    EXPECT_EQ(plan.pointers[0].value, 0x08002006);
    EXPECT_EQ(plan.pointers[0].position, 2);
    EXPECT_EQ(plan.end(), 0x200E);

    // Nothing happened yet: no push, no patch, no log line.
    EXPECT_EQ(address("sub"), "none");
    EXPECT_EQ(set.buffer(0), "go!PTRret");
    EXPECT_FALSE(logged(" - Pushed sub to 2006"));
    EXPECT_EQ(platform.boxes.size(), logLines);

    std::string image = path("image.bin");
    spit(image, std::string(0x3000, '\0'));
    ASSERT_TRUE(files.OpenFile(image, FileHandle::OpenMode::read));
    set.applyBurn(plan);
    files.closefile();
    EXPECT_EQ(address("sub"), " 8198");
    EXPECT_EQ(slurp(image).substr(0x2000, 14), "go" + bytes({0x06, 0x20, 0x00, 0x08}) + "rethello");
}

TEST_F(Burning, NegativeAddressWritesNothingAtAll) {
    put(set, 0, "good", "GOOD");
    put(set, 1, "bad", "BAD!");
    set.pushoffsett("good", 0x10);
    set.pushoffsett("bad", -8);
    const BurnPlan plan = set.planBurn();
    ASSERT_EQ(plan.problems.size(), 1u);
    EXPECT_EQ(plan.problems[0].kind, BurnPlan::ProblemKind::NegativeAddress);
    EXPECT_EQ(plan.problems[0].name, "bad");

    const std::string before(0x40, '\x55');
    spit(path("image.bin"), before);
    std::string name = path("image.bin");
    ASSERT_TRUE(files.OpenFile(name, FileHandle::OpenMode::read));
    EXPECT_THROW(set.burnbuffer(), BurnError);
    files.closefile();
    EXPECT_EQ(slurp(path("image.bin")), before);
}

TEST_F(Burning, FloatingLabelsBehindANegativeOneAreRefusedToo) {
    put(set, 0, "&hFFFFFFF0", "0123456789");
    put(set, 0, "next", "abcdefghij");
    const BurnPlan plan = set.planBurn();
    ASSERT_EQ(plan.problems.size(), 2u);
    EXPECT_EQ(plan.labels[1].address, -6);
    EXPECT_TRUE(plan.hasHardProblems());
}

TEST_F(Burning, AddressesBeyondThirtyTwoBitsAreProblems) {
    put(set, 0, "&h7FFFFFF0", std::string(0x20, 'a'));
    put(set, 0, "after", "b");
    const BurnPlan plan = set.planBurn();
    ASSERT_EQ(plan.problems.size(), 1u);
    EXPECT_EQ(plan.problems[0].kind, BurnPlan::ProblemKind::AddressOverflow);
    EXPECT_EQ(plan.problems[0].name, "after");
}

TEST_F(Burning, PlanCollectsFloatingPointersForTheCallerToAskAbout) {
    put(set, 0, "main", "!PTR!PTR", "one,0,3,two,4,3");
    set.pushoffsett("main", 0x10);
    const BurnPlan plan = set.planBurn([](const std::string&) { return std::nullopt; });
    ASSERT_EQ(plan.problems.size(), 2u);
    EXPECT_FALSE(plan.hasHardProblems());
    EXPECT_EQ(plan.problems[1].name, "two");
    EXPECT_FALSE(plan.pointers[0].resolved);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(Burning, HeaderRuleDecidesWhichBufferFilesAreRead) {
    FileBuffer any(files, autobank, "Kestrel", [](const std::string& header) { return header.rfind("Kes", 0) == 0; });
    put(set, 0, "x", "abc");
    std::string out = path("set.buf");
    ASSERT_TRUE(files.OpenFile(out, FileHandle::OpenMode::write));
    set.writebuffer();
    files.closefile();
    ASSERT_TRUE(files.OpenFile(out, FileHandle::OpenMode::read));
    any.readbuffer("");
    files.closefile();
    EXPECT_EQ(any.count(0), 1);

    FileBuffer strict(files, autobank, "Other", [](const std::string&) { return false; });
    ASSERT_TRUE(files.OpenFile(out, FileHandle::OpenMode::read));
    EXPECT_THROW(strict.readbuffer(""), FormatError);
    files.closefile();
    EXPECT_EQ(strict.count(0), 0);
}

}  // namespace
}  // namespace kestrel::test
