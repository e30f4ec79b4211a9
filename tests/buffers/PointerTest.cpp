// Pushed addresses, patching pointers into buffers, and the decoding
// helpers PointerPeek and pointerpoke.
#include "BufferFixture.h"

#include "text/KestrelError.h"

namespace kestrel::test {
namespace {

using Pointers = BufferFixture;

TEST_F(Pointers, PushingAgainReplacesTheAddress) {
    set.pushoffsett("start", 4096);
    set.pushoffsett("Start", 8192);
    EXPECT_EQ(set.pushed("START"), " 8192");
    EXPECT_TRUE(logged(" - Pushed start to 1000"));
    EXPECT_TRUE(logged(" - Pushed Start to 2000"));
    set.pushoffsett("neg", -1);
    EXPECT_EQ(set.pushed("neg"), "-1");
    EXPECT_TRUE(logged(" - Pushed neg to FFFFFFFF"));
    EXPECT_FALSE(set.pushed("other").has_value());
}

TEST_F(Pointers, PatchesTheLabelAddressAsAPointer) {
    put(set, 0, "", std::string(12, '\x11') + "!PTR" + "\x22", "lab,12,3");
    set.pushoffsett("lab", 4096);
    set.pointerpop(1);
    EXPECT_EQ(hexDump(set.buffer(0).substr(12)), hexDump(bytes({0x00, 0x10, 0x00, 0x08, 0x22})));
    EXPECT_EQ(set.buffer(0).size(), 17u);
    EXPECT_TRUE(logged(" - Adjusting lab in 0 at 8001000"));
    EXPECT_EQ(set.inname(), "lab");  // the pointer is the current record

    autobank.set(false);
    set.pointerpop(1);
    EXPECT_EQ(hexDump(set.buffer(0).substr(12, 4)), hexDump(bytes({0x00, 0x10, 0x00, 0x00})));
}

TEST_F(Pointers, NumericTargetsAndMergedAddressesNeedNoPush) {
    put(set, 0, "", "!PTR", "4096,0,3");
    put(set, 0, "", std::string(4, '\0'));
    set.pointerpoke("bank.&h2000,3");  // stands for a merged pointer with an address name
    set.pointers().at(2)->Offset = 4;
    set.pointerpop(1);
    set.pointerpop(2);
    EXPECT_EQ(hexDump(set.buffer(0)), hexDump(bytes({0x00, 0x10, 0x00, 0x08, 0x00, 0x20, 0x00, 0x08})));
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(Pointers, FloatingTargetAsksUntilAnAddressIsGiven) {
    put(set, 0, "", "!PTR", "main.loop,0,3");
    platform.inputAnswers = {std::string(), std::string("zero"), std::string("0x2000")};
    set.pointerpop(1);
    EXPECT_EQ(hexDump(set.buffer(0)), hexDump(bytes({0x00, 0x20, 0x00, 0x08})));
    ASSERT_EQ(platform.boxes.size(), 3u);
    EXPECT_EQ(platform.boxes[0], "Floating Pointer must be pushed|Enter offset for main.loop:");
}

TEST_F(Pointers, UnansweredPromptIsAFloatingPointerError) {
    put(set, 0, "", "!PTR", "loop,0,3");
    try {
        set.pointerpop(1);
        ADD_FAILURE() << "a pointer without an address was patched";
    } catch (const FloatingPointerError& error) {
        EXPECT_EQ(error.pointer(), "loop");
        EXPECT_STREQ(error.what(), "Floating Pointers Must Be Pushed");
    }
    EXPECT_EQ(platform.boxes.back(), "Floating Pointer must be pushed|Enter offset for loop:");
    EXPECT_EQ(set.buffer(0), "!PTR");
}

TEST_F(Pointers, ResolverSuppliedByTheProgramReplacesTheInputBox) {
    put(set, 0, "", "!PTR!PTR", "far,0,3,near,4,3");
    std::vector<std::string> asked;
    set.setPointerResolver([&asked](const std::string& target) -> std::optional<double> {
        asked.push_back(target);
        if (target == "far") return 0x3000;
        return std::nullopt;
    });
    set.pointerpop(1);
    EXPECT_EQ(hexDump(set.buffer(0).substr(0, 4)), hexDump(bytes({0x00, 0x30, 0x00, 0x08})));
    EXPECT_THROW(set.pointerpop(2), FloatingPointerError);
    EXPECT_EQ(asked, (std::vector<std::string>{"far", "near"}));
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(Pointers, PointerRunningPastItsBufferIsRefused) {
    put(set, 0, "", "ab", "lab,0,3");
    set.pushoffsett("lab", 4096);
    EXPECT_THROW(set.pointerpop(1), BurnError);
    EXPECT_EQ(set.buffer(0), "ab");
    set.pointerpop(7);  // no such pointer: nothing happens
    EXPECT_EQ(set.inname(), "");
}

TEST_F(Pointers, PatchLandsInTheBufferThatHoldsThePointer) {
    put(set, 0, "", std::string(8, 'a'));
    put(set, 2, "", std::string(6, 'b'));
    put(set, 2, "", "xx!PTRyy", "lab,2,3");
    set.pushoffsett("lab", 0x1234);
    set.pointerpop(1);
    EXPECT_EQ(set.buffer(0), std::string(8, 'a'));
    EXPECT_EQ(hexDump(set.buffer(2).substr(6)), hexDump("xx" + bytes({0x34, 0x12, 0x00, 0x08}) + "yy"));
    EXPECT_TRUE(logged(" - Adjusting lab in 2 at 8001234"));
    EXPECT_EQ(set.inbuffer(), 2);
}

TEST_F(Pointers, PointerPeekPutsNamesBackIntoDecodedText) {
    // A pointer loaded from a buffer file is keyed by its spaced decimal offset.
    FileBuffer source(files, autobank);
    put(source, 0, "", std::string(4101, '\0'));
    put(source, 0, "", "!PTR", "loop,0,3");
    save(source, "peek.buf");
    load(set, "peek.buf");
    set.setInbuffer(0);
    set.setInoffsett(4097);
    std::string text = "goto $5";
    set.PointerPeek(text, "5,3");
    EXPECT_EQ(text, "goto loop");
    std::string other = "goto $9";
    set.PointerPeek(other, "9,3,x,3");
    EXPECT_EQ(other, "goto $9");
    set.PointerPeek(other, "");
    EXPECT_EQ(other, "goto $9");
}

TEST_F(Pointers, PointerPeekLeavesLongerPlaceholdersAlone) {
    FileBuffer source(files, autobank);
    put(source, 0, "", std::string(1, '\5') + "!PTR" + std::string(16, '\x0C') + "\5!PTR", "first,1,3,second,22,3");
    save(source, "two.buf");
    load(set, "two.buf");
    set.setInbuffer(0);
    set.setInoffsett(0);
    std::string text = "hop $2; hop $23";
    set.PointerPeek(text, "2,3,23,3");
    EXPECT_EQ(text, "hop first; hop second");
}

TEST_F(Pointers, PointerpokeRecordsEachTargetOnce) {
    set.pointerpoke("&h8001234,3,&h8001234,9,label,8");
    ASSERT_EQ(set.count(16), 2);
    EXPECT_EQ(set.pointers().at(1)->Offset, 0x1234);
    EXPECT_EQ(set.pointers().at(1)->mode, 3);
    EXPECT_EQ(set.pointers().byKey("label")->mode, 8);
    EXPECT_TRUE(logged("&h8001234"));
    autobank.set(false);
    set.pointerpoke("&h8005678,3");
    EXPECT_EQ(set.pointers().at(3)->Offset, 0);
}

}  // namespace
}  // namespace kestrel::test
