// Buffer files are checked whole before the set changes: positions, counts,
// names and placeholders are refused with the byte offset of the field, and
// a refused file leaves the set exactly as it was.
#include "BufferFixture.h"

#include "text/KestrelError.h"

namespace kestrel::test {
namespace {

std::string stringField(const std::string& text) {
    return bytes({8, 0, static_cast<int>(text.size() & 0xFF), static_cast<int>(text.size() >> 8)}) + text;
}
std::string word(int value) { return bytes({value & 0xFF, (value >> 8) & 0xFF}); }
std::string dword(int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    return bytes({static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF), static_cast<int>(bits >> 24)});
}
std::string record(int buffer, int32_t offset, int mode, const std::string& name) {
    return bytes({buffer}) + dword(offset) + word(mode) + stringField(name);
}

// Header (0x00..0x0A), comment "c" (0x0B..0x0F), then the rest from the pointer count at 0x10.
std::string file(const std::string& pointers, const std::string& labelGroups, const std::string& data) {
    return stringField("Kestrel") + stringField("c") + pointers + labelGroups + data;
}
// Sixteen label groups, buffer 0 holding `labels` records.
std::string groups(int count, const std::string& labels) { return word(count) + labels + std::string(30, '\0'); }
std::string dataRecord(int buffer, const std::string& bytes) {
    return bytes.empty() ? "" : std::string(1, static_cast<char>(buffer)) + stringField(bytes);
}

class CheckedBufferFiles : public BufferFixture {
protected:
    CheckedBufferFiles() {
        put(set, 1, "kept", "keep");
        set.setBuffer(16, "before");
    }
    // Loads `data`; expects a refusal whose message holds `where` and `what`,
    // and the set unchanged.
    void expectRefused(const std::string& data, const std::string& where, const std::string& what) {
        spit(path("bad.buf"), data);
        try {
            load(set, "bad.buf");
            ADD_FAILURE() << "accepted; expected " << where << " " << what;
        } catch (const KestrelError& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find("bad.buf:" + where + ": "), std::string::npos) << message;
            EXPECT_NE(message.find(what), std::string::npos) << message;
        }
        EXPECT_EQ(set.buffer(16), "before");
        EXPECT_EQ(set.buffer(1), "keep");
        EXPECT_EQ(set.count(1), 1);
        EXPECT_EQ(set.count(16), 0);
        EXPECT_EQ(set.slotKind(0), FileBuffer::SlotKind::Empty);
    }
};

TEST_F(CheckedBufferFiles, AWellFormedFileStillLoads) {
    spit(path("good.buf"),
         file(word(1) + record(0, 2, 3, "loop"), groups(1, record(0, 0, 3, "start")), dataRecord(0, "ab!PTRcd")));
    load(set, "good.buf");
    EXPECT_EQ(set.buffer(0), "ab!PTRcd");
    EXPECT_EQ(set.count(0), 1);
    EXPECT_EQ(set.count(16), 1);
    EXPECT_EQ(set.buffer(16), "c");
}

TEST_F(CheckedBufferFiles, PointerPositionsOutsideTheirBufferAreRefused) {
    const std::string label = groups(0, "");
    // The pointer record starts at 0x12, its Offset field at 0x13.
    expectRefused(file(word(1) + record(0, -1, 3, "p"), label, dataRecord(0, "abcd")), "0x13", "names no buffer");
    expectRefused(file(word(1) + record(0, 1600000, 3, "p"), label, dataRecord(0, "abcd")), "0x13", "names no buffer");
    expectRefused(file(word(1) + record(0, 1, 3, "p"), label, dataRecord(0, "abcd")), "0x13", "outside");
    expectRefused(file(word(1) + record(0, 200000, 3, "p"), label, dataRecord(0, "abcd")), "0x13", "outside");
}

TEST_F(CheckedBufferFiles, LabelOffsetsMustLieInTheirBuffer) {
    // The label record starts at 0x14, its Offset field at 0x15.
    expectRefused(file(word(0), groups(1, record(0, -4, 3, "l")), dataRecord(0, "abcd")), "0x15", "negative");
    expectRefused(file(word(0), groups(1, record(0, 5, 3, "l")), dataRecord(0, "abcd")), "0x15", "past the 4 bytes");
    // A label right at the end of its data is an empty block, not an error.
    spit(path("end.buf"), file(word(0), groups(1, record(0, 4, 3, "l")), dataRecord(0, "abcd")));
    load(set, "end.buf");
    EXPECT_EQ(set.count(0), 1);
}

TEST_F(CheckedBufferFiles, CountsThatDoNotMatchTheDataAreRefused) {
    expectRefused(file(word(0xFFFF), "", ""), "0x10", "negative pointer count");
    expectRefused(file(word(0), word(0x8000), ""), "0x12", "negative label count");
    // One label announced, none there: the next group's count is read as a record and runs out.
    expectRefused(file(word(0), word(3) + record(0, 0, 3, "l"), ""), "0x20", "end of file");
    expectRefused(file(word(0), groups(0, ""), dataRecord(0, "abcd") + dataRecord(17, "x")), "0x3B", "buffer 17");
    // Trailing garbage too short for a data record.
    expectRefused(file(word(0), groups(0, ""), dataRecord(0, "abcd") + "\x01\x08"), "0x3B", "end of file");
}

TEST_F(CheckedBufferFiles, PlaceholdersWithoutTheirPointerAreRefused) {
    // The data's bytes start at 0x37; the placeholder at byte 2 of them.
    expectRefused(file(word(0), groups(0, ""), dataRecord(0, "ab!PTRcd")), "0x39", "placeholder at byte 2");
    // A pointer elsewhere does not patch it.
    expectRefused(file(word(1) + record(0, 0, 3, "p"), groups(0, ""), dataRecord(0, "ab!PTRcd")), "0x45",
                  "placeholder at byte 2");
}

TEST_F(CheckedBufferFiles, NamesThatCannotStandInAScriptLineAreRefused) {
    // The name field of the pointer record starts at 0x12 + 7.
    expectRefused(file(word(1) + record(0, 0, 3, "x\r\n#del sentinel"), groups(0, ""), dataRecord(0, "abcd")), "0x19",
                  "line break");
    expectRefused(file(word(1) + record(0, 0, 3, "x;#mkdir d"), groups(0, ""), dataRecord(0, "abcd")), "0x19",
                  "separates statements");
    expectRefused(file(word(0), groups(1, record(0, 0, 3, "a b")), dataRecord(0, "abcd")), "0x1B", "blank");
    expectRefused(file(word(0), groups(1, record(0, 0, 3, "it's")), dataRecord(0, "abcd")), "0x1B", "comment");
}

TEST_F(CheckedBufferFiles, KeysTakenInTheSetOrTwiceInTheFileRefuseTheWholeFile) {
    put(set, 0, "start", "abcd");
    const std::string taken = file(word(0), groups(1, record(0, 0, 3, "start")), dataRecord(0, "wxyz"));
    spit(path("taken.buf"), taken);
    EXPECT_THROW(load(set, "taken.buf"), DuplicateKeyError);
    EXPECT_EQ(set.buffer(0), "abcd");
    EXPECT_EQ(set.buffer(16), "before");

    FileBuffer fresh(files, autobank);
    spit(path("twice.buf"),
         file(word(2) + record(0, 0, 3, "p") + record(0, 0, 3, "q"), groups(0, ""), dataRecord(0, "abcd")));
    EXPECT_THROW(load(fresh, "twice.buf"), DuplicateKeyError);
    EXPECT_EQ(fresh.count(16), 0);
    EXPECT_EQ(fresh.slotKind(0), FileBuffer::SlotKind::Empty);
}

TEST_F(CheckedBufferFiles, ALateClashTakesBackEveryKeyTheFileHadAdded) {
    // Pointers and the labels of buffer 0 are in the lists before the label
    // of buffer 1 clashes with "kept"; afterwards their keys must be free.
    auto build = [&](const std::string& secondLabel) {
        const std::string labelGroups = word(2) + record(0, 0, 3, "start") + record(0, 4, 3, "&h4000") + word(1) +
                                        record(1, 0, 3, secondLabel) + std::string(28, '\0');
        return file(word(2) + record(0, 2, 3, "start") + record(1, 100000, 3, "&h4000"), labelGroups,
                    dataRecord(0, "ab!PTRcd") + dataRecord(1, "wxyz"));
    };
    FileBuffer fresh(files, autobank);
    put(fresh, 1, "kept", "1234");
    spit(path("clash.buf"), build("kept"));
    EXPECT_THROW(load(fresh, "clash.buf"), DuplicateKeyError);
    EXPECT_EQ(fresh.count(16), 0);
    EXPECT_EQ(fresh.count(0), 0);
    EXPECT_EQ(fresh.count(1), 1);
    EXPECT_FALSE(fresh.labels(0).contains("start"));
    EXPECT_FALSE(fresh.labels(0).contains("&h4000"));
    EXPECT_FALSE(fresh.pointers().contains(" 2"));

    // The same file without the clash loads, under its own keys and merged.
    spit(path("clean.buf"), build("other"));
    load(fresh, "clean.buf");
    EXPECT_EQ(fresh.count(16), 2);
    EXPECT_EQ(fresh.labels(0).byKey("&H4000")->Offset, 4);
    EXPECT_EQ(fresh.labels(1).byKey("other")->Offset, 4);  // behind the 4 bytes buffer 1 held
    EXPECT_EQ(fresh.pointers().byKey(" 100004")->name, "&h4000");

    // Merged under a prefix, the pointer keys are texts; a clash takes them back too.
    put(fresh, 1, "m.kept", "");
    spit(path("clash2.buf"), build("kept"));
    EXPECT_THROW(load(fresh, "clash2.buf", "m"), DuplicateKeyError);
    EXPECT_FALSE(fresh.pointers().contains("m. 2"));
    EXPECT_FALSE(fresh.labels(0).contains("m.start"));
    EXPECT_EQ(fresh.count(16), 2);
}

}  // namespace
}  // namespace kestrel::test
