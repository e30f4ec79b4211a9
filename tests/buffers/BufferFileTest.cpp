// Buffer files: the exact layout, round trips, merging, the format's limits
// and damaged input.
#include "BufferFixture.h"

#include "text/KestrelError.h"

namespace kestrel::test {
namespace {

using BufferFiles = BufferFixture;

std::string stringField(const std::string& text) {
    return bytes({8, 0, static_cast<int>(text.size() & 0xFF), static_cast<int>(text.size() >> 8)}) + text;
}

std::string sixteenEmptyGroups() { return std::string(32, '\0'); }

TEST_F(BufferFiles, EmptySetWritesHeaderCommentAndSixteenEmptyGroups) {
    const std::string file = save(set, "empty.buf");
    EXPECT_EQ(hexDump(file),
              hexDump(stringField("Kestrel") + stringField("NO COMMENT") + bytes({0, 0}) + sixteenEmptyGroups()));
    EXPECT_EQ(set.buffer(16), "NO COMMENT");
    EXPECT_TRUE(logged("COMMENT BUFFER DROP 10 [NO COMMENT]"));
    EXPECT_TRUE(logged("DROPPING 0 Pointers"));
    EXPECT_TRUE(logged("|"));
    EXPECT_TRUE(logged("\\- Processed 16 Buffers"));

    FileBuffer other(files, autobank);
    other.setBuffer(16, "old comment");
    load(other, "empty.buf");
    EXPECT_EQ(other.buffer(16), "NO COMMENT");
    EXPECT_EQ(other.count(16), 0);
    for (int b = 0; b < 16; ++b) EXPECT_EQ(other.slotKind(b), FileBuffer::SlotKind::Empty);
    EXPECT_TRUE(logged("COMMENT BUFFER GRAB: "));
    EXPECT_TRUE(logged("GRABBING 0 Pointers"));
}

TEST_F(BufferFiles, LabelledBufferHasTheDocumentedLayout) {
    put(set, 0, "start", bytes({1, 2, 3}), "", 0);
    const std::string file = save(set, "start.buf");
    const std::string expected = stringField("Kestrel") + stringField("NO COMMENT") + bytes({0, 0}) + bytes({1, 0}) +
                                 bytes({0, 0, 0, 0, 0, 0, 0}) + stringField("start") + std::string(30, '\0') +
                                 bytes({0}) + stringField(bytes({1, 2, 3}));
    EXPECT_EQ(hexDump(file), hexDump(expected));
    EXPECT_TRUE(logged("DROPPING 1 Offsetts"));
    EXPECT_TRUE(logged("start at buffer 0 position 0 "));
    EXPECT_TRUE(logged("BUFFER 0 DROP: 3 [" + bytes({1, 2, 3}) + "]"));
}

TEST_F(BufferFiles, RoundTripKeepsPointersLabelsAndEveryByteValue) {
    std::string all;
    for (int v = 0; v < 256; ++v) all.push_back(static_cast<char>(v));
    put(set, 0, "Start", all + "!PTR", "Target,256,9", 3);
    put(set, 7, "Seven", all, "", 8);
    set.setBuffer(16, all);
    save(set, "all.buf");

    FileBuffer back(files, autobank);
    load(back, "all.buf");
    EXPECT_EQ(back.buffer(0), all + "!PTR");
    EXPECT_EQ(back.buffer(7), all);
    EXPECT_EQ(back.buffer(16), all);
    ASSERT_EQ(back.count(0), 1);
    EXPECT_EQ(back.labels(0).at(1)->name, "start");
    ASSERT_EQ(back.count(7), 1);
    EXPECT_EQ(back.labels(7).at(1)->mode, 8);
    EXPECT_EQ(back.labels(7).at(1)->buffer, 7);
    ASSERT_EQ(back.count(16), 1);
    auto pointer = back.pointers().byKey(" 256");
    EXPECT_EQ(pointer->name, "target");
    EXPECT_EQ(pointer->mode, 9);
    EXPECT_TRUE(logged("0 256 target"));
    EXPECT_TRUE(logged("BUFFER 7 GRAB: 256 [" + all + "]"));
}

TEST_F(BufferFiles, MergePrefixNamesEverythingOfTheFile) {
    put(set, 0, "Start", "abcd", "Loop,0,3");
    save(set, "music.buf");
    FileBuffer merged(files, autobank);
    load(merged, "music.buf", "Music");
    EXPECT_EQ(merged.labels(0).at(1)->name, "music.start");
    EXPECT_EQ(merged.pointers().byKey("music. 0")->name, "music.loop");
    // Loading the same file twice under the same prefix collides.
    EXPECT_THROW(load(merged, "music.buf", "music"), DuplicateKeyError);
    load(merged, "music.buf", "Other");
    EXPECT_EQ(merged.count(0), 2);
}

TEST_F(BufferFiles, ForeignHeaderIsRefusedExceptByPlover) {
    spit(path("foreign.buf"), stringField("Other") + stringField("c") + bytes({0, 0}) + sixteenEmptyGroups() +
                                  bytes({2}) + stringField("xy"));
    set.setBuffer(16, "mine");
    try {
        load(set, "foreign.buf");
        ADD_FAILURE() << "a foreign header was accepted";
    } catch (const FormatError& error) {
        EXPECT_NE(std::string(error.what()).find("foreign.buf:0x0: NOT A Kestrel Buffer file!"), std::string::npos)
            << error.what();
    }
    EXPECT_EQ(platform.boxes.back(), "Kestrel|NOT A Kestrel Buffer file!");
    EXPECT_EQ(set.buffer(16), "mine");
    EXPECT_EQ(set.slotKind(2), FileBuffer::SlotKind::Empty);

    FileBuffer plover(files, autobank, "Plover");
    load(plover, "foreign.buf");
    EXPECT_EQ(plover.buffer(2), "xy");
    EXPECT_EQ(plover.buffer(16), "c");
}

TEST_F(BufferFiles, MergingBehindExistingBytesShiftsLabelsAndPointers) {
    FileBuffer second(files, autobank);
    put(second, 2, "song", "ab!PTRcd", "song,2,3");
    save(second, "second.buf");

    put(set, 2, "first", std::string(100, 'x'));
    load(set, "second.buf", "b");
    EXPECT_EQ(set.buffer(2).size(), 108u);
    auto label = set.labels(2).byKey("b.song");
    EXPECT_EQ(label->Offset, 100);
    EXPECT_EQ(set.Get_Data(2, 2), "ab!PTRcd");
    auto pointer = set.pointers().at(1);
    EXPECT_EQ(pointer->Offset, 200102);
    EXPECT_EQ(set.pointers().byKey("b. 200102"), pointer);

    set.pushoffsett("b.song", 0x500);
    set.pointerpop(1);
    EXPECT_EQ(hexDump(set.Get_Data(2, 2)), hexDump("ab" + bytes({0x00, 0x05, 0x00, 0x08}) + "cd"));
    EXPECT_EQ(set.buffer(2).substr(0, 100), std::string(100, 'x'));
}

TEST_F(BufferFiles, OversizedSetIsRefusedBeforeAnyByteIsWritten) {
    auto expectRefused = [&](FileBuffer& big, const std::string& name, const std::string& mentions) {
        try {
            save(big, name);
            ADD_FAILURE() << "no error for " << name;
        } catch (const FormatError& error) {
            EXPECT_NE(std::string(error.what()).find(mentions), std::string::npos) << error.what();
        }
        EXPECT_EQ(slurp(path(name)), "");
    };
    {
        FileBuffer big(files, autobank);
        big.setBuffer(3, std::string(32768, 'a'));
        expectRefused(big, "buffer.buf", "buffer 3");
        big.setBuffer(3, std::string(32767, 'a'));
        // header 11, comment 14, pointer count 2, label counts 32, data record 5 + bytes
        EXPECT_EQ(save(big, "buffer-ok.buf").size(), 32767u + 64);
    }
    {
        FileBuffer big(files, autobank);
        big.setBuffer(16, std::string(40000, 'c'));
        expectRefused(big, "comment.buf", "comment");
    }
    {
        FileBuffer big(files, autobank);
        put(big, 0, std::string(32768, 'n'), "x");
        expectRefused(big, "name.buf", "label name");
    }
    {
        FileBuffer big(files, autobank);
        for (int i = 0; i < 32768; ++i) put(big, i / 20000, "", "", "t," + std::to_string(i % 20000 * 4) + ",3");
        EXPECT_EQ(big.count(16), 32768);
        expectRefused(big, "pointers.buf", "pointers");
    }
    {
        FileBuffer big(files, autobank);
        for (int i = 0; i < 32768; ++i) put(big, 1, "l" + std::to_string(i), "");
        expectRefused(big, "labels.buf", "labels");
    }
}

class DamagedBufferFiles : public BufferFixture {
protected:
    std::string validFile() {
        FileBuffer source(files, autobank);
        put(source, 0, "start", "abcdefgh", "start,2,3");
        put(source, 3, "three", "xyz");
        source.setBuffer(16, "comment");
        return save(source, "valid.buf");
    }

    // Loads `data` into a fresh set; true when it loaded, false on a typed error.
    bool tryLoad(const std::string& data, FileBuffer& into) {
        spit(path("damaged.buf"), data);
        try {
            load(into, "damaged.buf");
            return true;
        } catch (const KestrelError&) {
            return false;
        }
    }
};

TEST_F(DamagedBufferFiles, EveryTruncationFailsCleanlyAndLeavesTheSetAsItWas) {
    const std::string valid = validFile();
    for (std::size_t cut = 1; cut < valid.size(); ++cut) {
        FileBuffer into(files, autobank);
        into.setBuffer(16, "before");
        const bool loaded = tryLoad(valid.substr(0, cut), into);
        // Only the cut before the last data record leaves a well-formed file:
        // without buffer 0's data too, the pointer into it would lie outside.
        if (loaded) {
            EXPECT_EQ(cut, valid.size() - 8);
        } else {
            EXPECT_EQ(into.buffer(16), "before") << cut;
            EXPECT_EQ(into.count(16), 0) << cut;
            EXPECT_EQ(into.count(0), 0) << cut;
            EXPECT_EQ(into.slotKind(0), FileBuffer::SlotKind::Empty) << cut;
        }
    }
}

TEST_F(DamagedBufferFiles, BadCountsAndBufferNumbersAreFormatErrors) {
    const std::string head = stringField("Kestrel") + stringField("c");
    FileBuffer a(files, autobank);
    spit(path("neg.buf"), head + bytes({0xFF, 0xFF}));
    EXPECT_THROW(load(a, "neg.buf"), FormatError);

    FileBuffer b(files, autobank);
    spit(path("high.buf"), head + bytes({0, 0}) + sixteenEmptyGroups() + bytes({1}) + stringField("ok") + bytes({17}) +
                               stringField("no"));
    try {
        load(b, "high.buf");
        ADD_FAILURE() << "buffer 17 accepted";
    } catch (const FormatError& error) {
        EXPECT_NE(std::string(error.what()).find("17"), std::string::npos) << error.what();
    }
    EXPECT_EQ(b.slotKind(1), FileBuffer::SlotKind::Empty);

    FileBuffer c(files, autobank);
    spit(path("long.buf"), head + bytes({0x10, 0x00}) + bytes({0, 1, 2, 3}));
    EXPECT_THROW(load(c, "long.buf"), FormatError);
}

TEST_F(DamagedBufferFiles, GarbageNeverCrashes) {
    const std::string valid = validFile();
    std::mt19937 random(12345);
    for (int round = 0; round < 300; ++round) {
        std::string data = valid;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i) data[random() % data.size()] = static_cast<char>(random() & 0xFF);
        if (round % 3 == 0) data.resize(random() % data.size());
        FileBuffer into(files, autobank, round % 2 ? "Plover" : "Kestrel");
        tryLoad(data, into);
        if (into.count(0) > 0) into.Get_Data(1, 0);
    }
}

}  // namespace
}  // namespace kestrel::test
