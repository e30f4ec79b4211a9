// The main window's workflow, driven through its model.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "PloverFixture.h"
#include "bufferwriter/Search.h"
#include "text/Numeric.h"

namespace kestrel::test {
namespace {

using View = BufList::View;

class BufListTest : public PloverFixture {
protected:
    // abc.buf: a (10 bytes), b (20), c (5) in buffer 0.
    std::string abc() {
        return writeBuf(
            "abc.buf", {{0, "a", std::string(10, 'A')}, {0, "b", std::string(20, 'B')}, {0, "c", std::string(5, 'C')}});
    }
    int64_t pushedAt(const std::string& name) {
        const auto text = list().bufferSet().pushed(name);
        return text ? static_cast<int64_t>(numeric::read(*text)) : 0;
    }
    bool boxShown(const std::string& part) {
        return std::any_of(platform.boxes.begin(), platform.boxes.end(),
                           [&](const std::string& b) { return b.find(part) != std::string::npos; });
    }
};

// --- loading -----------------------------------------------------------------

TEST_F(BufListTest, TwoFilesOnOneCommandLineArePrefixedByTheirBaseNames) {
    const std::string one = writeBuf("One.buf", {{0, "start", "\x01\x02"}}, "first");
    const std::string two = writeBuf("two.buf", {{1, "start", "\x03"}}, "second");
    list().start(" \"" + one + "\" ; " + two + " ");
    EXPECT_EQ(texts(), (std::vector<std::string>{"one.start", "two.start"}));
    EXPECT_EQ(list().info(), "second");
    EXPECT_FALSE(list().busy());
    EXPECT_TRUE(list().files().empty());
}

TEST_F(BufListTest, AFirstLabelNamedByAnAddressIsPushedThereOnLoad) {
    list().start(writeBuf("music.buf", {{0, "&h7000", "\x01"}, {0, "tail", "\x02"}}));
    EXPECT_EQ(texts(), (std::vector<std::string>{"music.&h7000 (28672)", "music.tail"}));
    EXPECT_EQ(pushedAt("music.&h7000"), 0x7000);
}

TEST_F(BufListTest, FourHexDigitsAboveSevenFffAreNotNegative) {
    list().start(writeBuf("hi.buf", {{0, "&h9000", "\x01"}}));
    EXPECT_EQ(texts().front(), "hi.&h9000 (36864)");
    EXPECT_EQ(pushedAt("hi.&h9000"), 0x9000);
}

TEST_F(BufListTest, PointerTargetsWithoutALabelAreFloating) {
    list().start(writeBuf("p.buf", {{0, "main", std::string("\x01!PTR!PTR", 9), "loop,1,3,main,5,3"}}));
    EXPECT_EQ(list().floating(), (std::vector<std::string>{"p.loop"}));
}

TEST_F(BufListTest, TheSamePathTwiceIsLoadedOnce) {
    const std::string file = abc();
    list().start(file + ";" + file);
    list().execute(file);
    EXPECT_EQ(list().offsetts().size(), 3u);
    EXPECT_TRUE(logged("already loaded"));
    EXPECT_EQ(list().failedLoads(), 0);
}

TEST_F(BufListTest, AFileThatFailsHalfWayLeavesNothingBehind) {
    const std::string good = abc();
    std::string bytes = slurp(good);
    spit(path("broken.buf"), bytes.substr(0, bytes.size() - 7));  // the data record is cut short
    list().start(path("broken.buf"));
    EXPECT_TRUE(list().offsetts().empty());
    EXPECT_EQ(list().bufferSet().count(0), 0);
    EXPECT_TRUE(logged("Skipped"));
    EXPECT_EQ(list().failedLoads(), 1);
    // The good file still loads afterwards, under its own prefix.
    list().execute(good);
    EXPECT_EQ(texts(), (std::vector<std::string>{"abc.a", "abc.b", "abc.c"}));
}

TEST_F(BufListTest, ClashingPrefixesAndDotsInBaseNames) {
    std::filesystem::create_directories(path("x"));
    std::filesystem::create_directories(path("y"));
    const std::string first = writeBuf("x/music.buf", {{0, "start", "\x01"}});
    const std::string second = writeBuf("y/music.buf", {{0, "start", "\x02"}});
    const std::string dotted = writeBuf("my.music.buf", {{0, "start", "\x03"}});
    list().start(first + ";" + second + ";" + dotted);
    EXPECT_EQ(texts(), (std::vector<std::string>{"music.start", "music_2.start", "my_music.start"}));
    EXPECT_TRUE(logged("music_2"));
}

TEST_F(BufListTest, AfterAReloadEntriesKeepTheirAddressesAndPushedNamesStayOff) {
    list().start(writeBuf("p.buf", {{0, "main", std::string("\x01!PTR", 5), "far,1,3"}}));
    list().setView(View::FloatingPointers);
    platform.inputAnswers.push_back("0x2000");
    list().insert();
    EXPECT_TRUE(list().floating().empty());
    list().setView(View::Offsetts);
    list().pushthese(0x1000);
    list().execute(abc());
    EXPECT_EQ(texts(), (std::vector<std::string>{"p.main (1000)", "abc.a", "abc.b", "abc.c"}));
    EXPECT_TRUE(list().floating().empty());
    EXPECT_EQ(pushedAt("p.far"), 0x2000);
}

// --- requests while busy ---------------------------------------------------------

TEST_F(BufListTest, ARequestDuringALoadJoinsTheQueue) {
    const std::string file = abc();
    const std::string other = writeBuf("other.buf", {{0, "x", "\x01"}});
    // The missing file's box dispatches a forwarded start.
    platform.duringBox = [&] { list().forwarded(other); };
    list().start(path("missing.buf") + ";" + file);
    EXPECT_EQ(texts(), (std::vector<std::string>{"abc.a", "abc.b", "abc.c", "other.x"}));
    EXPECT_TRUE(list().files().empty());
    EXPECT_FALSE(list().busy());
}

TEST_F(BufListTest, ARequestDuringABurnIsLoadedAfterIt) {
    list().start(abc());
    list().setDestination(writeImage("img.bin", 0x2000));
    list().setSelected(0, true);
    list().setSelected(2, true);
    list().pushthese(0x1000);  // b floats behind a, onto c: the burn asks
    const std::string other = writeBuf("other.buf", {{0, "x", "\x01"}});
    // The question dispatches an execute request.
    platform.duringBox = [&] {
        list().execute(other);
        EXPECT_EQ(list().offsetts().size(), 3u);  // not loaded yet: the burn runs
    };
    platform.yesNoAnswers.push_back(true);
    EXPECT_TRUE(list().burn());
    EXPECT_EQ(list().offsetts().size(), 4u);
    EXPECT_EQ(list().fileService().fileno(), 1);
}

// --- lists -------------------------------------------------------------------------

TEST_F(BufListTest, UpAndDnMoveTheEntryWithItsDataAndSelection) {
    list().start(abc());
    list().setCurrent(0);
    list().move(-1);
    EXPECT_EQ(texts(), (std::vector<std::string>{"abc.a", "abc.b", "abc.c"}));
    list().setCurrent(2);
    list().move(+1);
    EXPECT_EQ(texts(), (std::vector<std::string>{"abc.a", "abc.b", "abc.c"}));
    list().setSelected(2, true);
    list().move(-1);
    EXPECT_EQ(texts(), (std::vector<std::string>{"abc.a", "abc.c", "abc.b"}));
    EXPECT_EQ(list().currentOffsett(), 1);
    EXPECT_TRUE(list().offsetts()[1].selected);
    EXPECT_EQ(list().offsetts()[1].data(), 3);  // buffer 0, label 3
    // The new order is the order of addresses.
    list().selectAll(true);
    list().pushthese(0x1000);
    EXPECT_EQ(texts(), (std::vector<std::string>{"abc.a (1000)", "abc.c (100A)", "abc.b (100F)"}));
}

TEST_F(BufListTest, PushtheseGivesConsecutiveAddressesInListOrder) {
    list().start(abc());
    list().selectAll(true);
    EXPECT_TRUE(list().pushthese(0x1000));
    EXPECT_EQ(texts(), (std::vector<std::string>{"abc.a (1000)", "abc.b (100A)", "abc.c (101E)"}));
    // Nothing selected counts entries, not bytes: all are taken.
    list().selectAll(false);
    EXPECT_TRUE(list().pushthese(0x2000));
    EXPECT_EQ(texts().back(), "abc.c (201E)");
    // Past the largest image address: nothing assigned.
    EXPECT_FALSE(list().pushthese(0x7FFFFFFF));
    EXPECT_EQ(texts().back(), "abc.c (201E)");
}

TEST_F(BufListTest, EmptyLabelsStillCountAsSelected) {
    list().start(writeBuf("z.buf", {{0, "a", ""}, {0, "b", "\x01"}}));
    list().setSelected(0, true);
    list().pushthese(0x500);
    EXPECT_EQ(texts(), (std::vector<std::string>{"z.a (500)", "z.b"}));
}

TEST_F(BufListTest, CtrlRangeSelectionFillsBetweenPairsOfRunsOnly) {
    std::vector<LabelSpec> labels;
    for (char c = 'a'; c <= 'h'; ++c) labels.push_back({0, std::string(1, c), "\x01"});
    list().start(writeBuf("r.buf", labels));
    auto selected = [&] {
        std::string out;
        for (const auto& e : list().offsetts()) out += e.selected ? '1' : '0';
        return out;
    };
    for (int i : {0, 1, 4}) list().setSelected(i, true);  // an even run, then one more
    list().rangeSelect();
    EXPECT_EQ(selected(), "11111000");
    list().selectAll(false);
    for (int i : {1, 3, 5}) list().setSelected(i, true);  // three runs: the last is unpaired
    list().rangeSelect();
    EXPECT_EQ(selected(), "01110100");
    list().selectAll(false);
    list().setSelected(6, true);
    list().rangeSelect();
    EXPECT_EQ(selected(), "00000010");
}

// --- assigning -----------------------------------------------------------------------

TEST_F(BufListTest, InsertOnTheOffsettsViewPreparesTheSearch) {
    list().start(abc());
    list().setDestination(writeImage("img.bin", 0x1000));
    list().setSelected(1, true);
    EXPECT_TRUE(list().insert());
    EXPECT_EQ(list().search().txtBytes, "20");
    EXPECT_TRUE(list().search().Reserve);
    EXPECT_EQ(list().currentOffsett(), 1);
    list().selectAll(false);
    EXPECT_TRUE(list().insert());
    EXPECT_EQ(list().search().txtBytes, "35");
    EXPECT_FALSE(list().search().Reserve);
    EXPECT_EQ(list().selectedCount(), 3);
}

TEST_F(BufListTest, InsertOnAnEmptyListDoesNothing) {
    list().start("");
    EXPECT_FALSE(list().insert());
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(BufListTest, FloatingAddressesAreReadUnsignedAndBadOnesRefused) {
    list().start(writeBuf("p.buf", {{0, "main", std::string("\x01!PTR", 5), "far,1,3"}}));
    list().setView(View::FloatingPointers);
    platform.inputAnswers.push_back("-5");
    list().insert();
    EXPECT_EQ(list().floating().size(), 1u);
    EXPECT_TRUE(boxShown("not negative"));
    platform.inputAnswers.push_back("sixty");
    list().insert();
    EXPECT_EQ(list().floating().size(), 1u);
    platform.inputAnswers.push_back(" &H9000 ");
    list().insert();
    EXPECT_TRUE(list().floating().empty());
    EXPECT_EQ(pushedAt("p.far"), 0x9000);
    EXPECT_TRUE(boxShown("Entetr Absolute Offsett|Hex Offsetts may start with &h or 0x"));
}

}  // namespace
}  // namespace kestrel::test

// --- names from another process ----------------------------------------------------

TEST(BufListNames, RelativeNamesResolveInTheSendersFolder) {
    EXPECT_EQ(kestrel::BufList::resolvedIn("a.buf", "/home/u/work"), "/home/u/work/a.buf");
    EXPECT_EQ(kestrel::BufList::resolvedIn(" sub/../b.buf ;/abs/c.buf", "/w"), "/w/b.buf;/abs/c.buf");
    EXPECT_EQ(kestrel::BufList::resolvedIn("\"with space.buf\"", "/w"), "/w/with space.buf");
    // Empty parts stay empty: the load skips them as it does at start.
    EXPECT_EQ(kestrel::BufList::resolvedIn("a.buf;;", "/w"), "/w/a.buf;;");
    EXPECT_EQ(kestrel::BufList::resolvedIn("", "/w"), "");
    // Without a folder the names are only cleaned.
    EXPECT_EQ(kestrel::BufList::resolvedIn(" a.buf ", ""), "a.buf");
}
