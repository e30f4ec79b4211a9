// The buffer set's model: slots, the current record, add_Data and its
// labels and pointers, Get_Data and get_Point.
#include "BufferFixture.h"

#include "text/KestrelError.h"
#include "text/TextKit.h"

namespace kestrel::test {
namespace {

using FileBufferModel = BufferFixture;

TEST_F(FileBufferModel, StartsEmptyWithBufferZeroModeThree) {
    EXPECT_EQ(set.inbuffer(), 0);
    EXPECT_EQ(set.inmode(), 3);
    EXPECT_EQ(set.inoffsett(), 0);
    EXPECT_EQ(set.inname(), "");
    EXPECT_EQ(set.fillme, -1);
    EXPECT_EQ(set.lastbuffer, 0);
    for (int slot = 0; slot <= 16; ++slot) {
        EXPECT_EQ(set.slotKind(slot), FileBuffer::SlotKind::Empty);
        EXPECT_EQ(set.buffer(slot), "");
        EXPECT_EQ(set.count(slot), 0);
    }
}

TEST_F(FileBufferModel, SlotAndListNumbersOutsideTheirRangeAreBoundsErrors) {
    EXPECT_THROW(set.buffer(17), OutOfRangeError);
    EXPECT_THROW(set.buffer(-1), OutOfRangeError);
    EXPECT_THROW(set.setBuffer(17, "x"), OutOfRangeError);
    EXPECT_THROW(set.count(17), OutOfRangeError);
    EXPECT_THROW(set.Get_Data(1, 16), OutOfRangeError);
    set.setBuffer(16, "comment");
    EXPECT_EQ(set.buffer(16), "comment");
    set.appendBuffer(16, "\r\nmore");
    EXPECT_EQ(set.buffer(16), "comment\r\nmore");
}

TEST_F(FileBufferModel, WritingInbufferKeepsThePreviousNumberInLastbuffer) {
    set.setInbuffer(2);
    set.setInbuffer(5);
    EXPECT_EQ(set.inbuffer(), 5);
    EXPECT_EQ(set.lastbuffer, 2);
}

TEST_F(FileBufferModel, AddDataAppendsAndLeavesAFreshRecordForBufferZero) {
    put(set, 3, "", bytes({1, 2}));
    EXPECT_EQ(set.buffer(3), bytes({1, 2}));
    EXPECT_EQ(set.count(3), 0);
    EXPECT_EQ(set.inbuffer(), 0);
    EXPECT_EQ(set.inmode(), 0);
    EXPECT_EQ(set.inname(), "");
    // Without setting inbuffer again the next data goes to buffer 0.
    set.add_Data(bytes({3}), "");
    EXPECT_EQ(set.buffer(0), bytes({3}));
    EXPECT_EQ(set.buffer(3), bytes({1, 2}));
}

TEST_F(FileBufferModel, NamedRecordBecomesALabelAtTheEndOfItsBuffer) {
    put(set, 1, "", std::string(4, 'x'));
    put(set, 1, "Main", std::string(6, 'y'), "", 8);
    ASSERT_EQ(set.count(1), 1);
    auto label = set.labels(1).at(1);
    EXPECT_EQ(label->name, "Main");
    EXPECT_EQ(label->Offset, 4);
    EXPECT_EQ(label->buffer, 1);
    EXPECT_EQ(label->mode, 8);
    EXPECT_EQ(set.labels(1).byKey("main"), label);
}

TEST_F(FileBufferModel, PointerListRecordsPointersKeyedByHexPosition) {
    put(set, 0, "", std::string(10, '\0'));
    put(set, 0, "", "ab!PTR", "lab,2,3");
    ASSERT_EQ(set.count(16), 1);
    auto pointer = set.pointers().at(1);
    EXPECT_EQ(pointer->name, "lab");
    EXPECT_EQ(pointer->Offset, 12);
    EXPECT_EQ(pointer->mode, 3);
    EXPECT_EQ(pointer->buffer, 0);
    EXPECT_EQ(set.pointers().byKey("&hC"), pointer);
    EXPECT_TRUE(logged("- log lab in buffer 0 at byte: 12"));
}

TEST_F(FileBufferModel, NumericTargetsBecomeHexAddressText) {
    put(set, 0, "", "!PTR", "4096,0,3");
    put(set, 0, "", "!PTR", "&h2000,0,8");
    EXPECT_EQ(set.pointers().at(1)->name, "&h1000");
    EXPECT_EQ(set.pointers().at(2)->name, "&h2000");
    EXPECT_EQ(set.pointers().at(2)->mode, 8);
}

TEST_F(FileBufferModel, PointerTargetsAreLowerCasedButTheLastPieceAndSingleLetters) {
    // Lists with and without blanks or hexadecimal marks take different
    // paths through the splitter; both read the same way.
    for (const std::string& list : {std::string("LabA,0,3,B,4,3"), std::string("LabA, 0,3,B,4,3")}) {
        FileBuffer other(files, autobank);
        put(other, 0, "", "!PTR!PTR", list);
        ASSERT_EQ(other.count(16), 2) << list;
        EXPECT_EQ(other.pointers().at(1)->name, "laba") << list;
        EXPECT_EQ(other.pointers().at(2)->name, "B") << list;
        EXPECT_EQ(other.pointers().at(2)->Offset, 4) << list;
    }
    put(set, 0, "", "!PTR", "Q,0,3");
    EXPECT_EQ(set.pointers().at(1)->name, "Q");
}

TEST_F(FileBufferModel, CountOfListSixteenCountsPointersOfAllBuffers) {
    put(set, 0, "", "!PTR", "a,0,3");
    put(set, 4, "", "!PTR", "b,0,3");
    put(set, 15, "", "!PTR!PTR", "c,0,3,d,4,9");
    EXPECT_EQ(set.count(16), 4);
}

TEST_F(FileBufferModel, LongPointerListsAreNotCutAtSixteenPieces) {
    std::string list;
    std::string data;
    for (int i = 0; i < 7; ++i) {
        if (i) list += ",";
        list += "Target" + std::to_string(i) + "," + std::to_string(4 * i) + ",3";
        data += "!PTR";
    }
    put(set, 0, "", data, list);
    ASSERT_EQ(set.count(16), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(set.pointers().at(i + 1)->Offset, 4 * i);
        EXPECT_EQ(textkit::lower(set.pointers().at(i + 1)->name), "target" + std::to_string(i));
    }
}

TEST_F(FileBufferModel, PointersOfOtherBuffersCountInTheirOwnBuffer) {
    put(set, 0, "", std::string(5, 'a'));
    put(set, 3, "", std::string(20, 'b'));
    put(set, 3, "", "xx!PTR", "lab,2,3");
    auto pointer = set.pointers().at(1);
    EXPECT_EQ(pointer->Offset, 3 * 100000 + 22);
    EXPECT_EQ(pointer->buffer, 3);
    EXPECT_EQ(set.pointers().byKey("&h493F6"), pointer);  // 300022
    EXPECT_TRUE(logged("- log lab in buffer 3 at byte: 22"));
}

TEST_F(FileBufferModel, PointerPositionsThatCannotBeRepresentedAreRefused) {
    set.setBuffer(2, std::string(99998, 'z'));
    set.setInname("after");
    set.setInbuffer(2);
    EXPECT_THROW(set.add_Data("!PTR", "far,2,3"), OutOfRangeError);
    EXPECT_EQ(set.count(16), 0);
    EXPECT_EQ(set.buffer(2).size(), 99998u);
    EXPECT_EQ(set.count(2), 0);
    // The last representable position is fine.
    put(set, 2, "", "!PTR", "near,1,3");
    EXPECT_EQ(set.pointers().at(1)->Offset, 2 * 100000 + 99999);
}

TEST_F(FileBufferModel, DuplicatePointerKeyLeavesTheCallUndone) {
    put(set, 0, "", "!PTR", "a,0,3");
    set.setInname("lab");
    set.setInmode(3);
    // The first entry (at 4) is new, the second lands on a's place 0.
    EXPECT_THROW(set.add_Data("xyz", "b,0,3,a,-4,3"), DuplicateKeyError);
    EXPECT_THROW(set.add_Data("xyz", "b,0,3,c,-10,3"), OutOfRangeError);
    EXPECT_THROW(set.add_Data("xyz", "b,0,3,c"), FormatError);
    EXPECT_EQ(set.count(16), 1);
    EXPECT_EQ(set.buffer(0), "!PTR");
    EXPECT_EQ(set.count(0), 0);
    EXPECT_EQ(set.inname(), "lab");  // the current record was not replaced
}

TEST_F(FileBufferModel, DuplicateLabelFailsAfterTheDataIsAppended) {
    put(set, 0, "start", "ab");
    set.setInname("START");
    EXPECT_THROW(set.add_Data("cd", ""), DuplicateKeyError);
    EXPECT_EQ(set.buffer(0), "abcd");
    EXPECT_EQ(set.count(0), 1);
    EXPECT_EQ(set.inname(), "START");
}

TEST_F(FileBufferModel, AddValueEncodesValuesAndTheirPointers) {
    set.add_Value("5 &h1234 lbl", "0,1,3");
    EXPECT_EQ(set.buffer(0), bytes({5, 0x34, 0x12}) + "!PTR");
    ASSERT_EQ(set.count(16), 1);
    EXPECT_EQ(set.pointers().at(1)->name, "lbl");
    EXPECT_EQ(set.pointers().at(1)->Offset, 3);
}

TEST_F(FileBufferModel, GetDataReturnsEachLabelsBytes) {
    put(set, 0, "", "pre");  // before the first label: no label's bytes
    put(set, 0, "one", "1111");
    put(set, 0, "two", "");
    put(set, 0, "three", "333");
    EXPECT_EQ(set.Get_Data(1, 0), "1111");
    EXPECT_EQ(set.inname(), "one");
    EXPECT_EQ(set.Get_Data(2, 0), "");  // followed by a label at the same offset
    EXPECT_EQ(set.Get_Data(3, 0), "333");
    EXPECT_THROW(set.Get_Data(4, 0), OutOfRangeError);
}

TEST_F(FileBufferModel, GetPointMakesTheStoredRecordCurrent) {
    put(set, 2, "lab", "data");
    put(set, 0, "", "!PTR", "lab,0,3");
    set.get_Point(1, 2);
    set.setInname("renamed");
    set.setInoffsett(7);
    EXPECT_EQ(set.labels(2).at(1)->name, "renamed");
    EXPECT_EQ(set.labels(2).at(1)->Offset, 7);
    set.get_Point(1, 16);
    EXPECT_EQ(set.inname(), "lab");
    set.setInmode(9);
    EXPECT_EQ(set.pointers().at(1)->mode, 9);
    set.get_Point(5, 16);  // no such item: a fresh record
    EXPECT_EQ(set.inname(), "");
    EXPECT_EQ(set.inmode(), 0);
    EXPECT_EQ(set.currentRecord(), set.currentRecord());
}

TEST_F(FileBufferModel, PicturesOccupyEmptySlotsOnly) {
    set.setInbuffer(4);
    set.add_Picture("logo");
    EXPECT_EQ(set.slotKind(4), FileBuffer::SlotKind::Picture);
    set.setInbuffer(4);
    // The set shows no box and ends nothing: the program decides (kestrel
    // turns a CriticalError into the critical-error box).
    try {
        set.add_Data("x", "");
        ADD_FAILURE() << "data went into a picture slot";
    } catch (const SlotKindError& error) {
        EXPECT_STREQ(error.what(), "This Buffer typed as :Picture");
    }

    set.setBuffer(5, "bytes");
    try {
        set.add_Picture("logo", 5);
        ADD_FAILURE() << "a picture replaced bytes";
    } catch (const SlotKindError& error) {
        EXPECT_STREQ(error.what(), "This Buffer typed as :String");
    }
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(FileBufferModel, AddDataOutsideTheDataBuffersIsRefused) {
    set.setInbuffer(16);
    EXPECT_THROW(set.add_Data("x", ""), OutOfRangeError);
    EXPECT_EQ(set.buffer(16), "");
}

}  // namespace
}  // namespace kestrel::test
