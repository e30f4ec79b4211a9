#include <gtest/gtest.h>

#include "buffers/OffsetList.h"
#include "text/KestrelError.h"

namespace kestrel {
namespace {

std::shared_ptr<fOffsett> record(const std::string& name, int32_t offset) {
    auto r = std::make_shared<fOffsett>();
    r->name = name;
    r->Offset = offset;
    return r;
}

TEST(OffsetList, NumbersItemsFromOneInInsertionOrderAndFindsKeysWithoutCase) {
    OffsetList list;
    list.add(record("Start", 0), "Start");
    list.add(record("", 5));  // no key
    list.add(record("loop", 9), "LOOP");
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.at(1)->name, "Start");
    EXPECT_EQ(list.at(2)->Offset, 5);
    EXPECT_EQ(list.at(3)->name, "loop");
    EXPECT_EQ(list.byKey("start"), list.at(1));
    EXPECT_EQ(list.find("Loop"), list.at(3));
    EXPECT_TRUE(list.contains("sTaRt"));
    EXPECT_EQ(list.find(4), nullptr);
    EXPECT_EQ(list.find(0), nullptr);
    EXPECT_EQ(list.find("missing"), nullptr);
}

TEST(OffsetList, RejectsSecondKeyAndBadLookups) {
    OffsetList list;
    list.add(record("a", 0), "a");
    EXPECT_THROW(list.add(record("A", 1), "A"), DuplicateKeyError);
    EXPECT_EQ(list.count(), 1);
    EXPECT_THROW(list.at(0), OutOfRangeError);
    EXPECT_THROW(list.at(2), OutOfRangeError);
    EXPECT_THROW(list.byKey("b"), MissingKeyError);
}

TEST(OffsetList, NumberKeysAndTheirTextsAreTheSameKeys) {
    using Key = OffsetList::NumberKey;
    OffsetList list;
    list.add(record("a", 12), Key::hex, 12);
    list.add(record("b", -1), Key::hex, -1);
    list.add(record("c", 12), Key::spaced, 12);
    list.add(record("d", -5), " -5");  // not a spaced decimal: a text key
    list.add(record("e", -5), "-5");
    list.add(record("f", 12), "&h0C");  // leading zero: a text key
    EXPECT_EQ(list.byKey("&hC"), list.at(1));
    EXPECT_EQ(list.byKey("&Hc"), list.at(1));
    EXPECT_EQ(list.byKey("&hffffffff"), list.at(2));
    EXPECT_EQ(list.byKey(" 12"), list.at(3));
    EXPECT_EQ(list.find(Key::spaced, -5), list.at(5));
    EXPECT_EQ(list.byKey("&H0c"), list.at(6));
    EXPECT_TRUE(list.contains(Key::hex, 12));
    EXPECT_FALSE(list.contains(Key::hex, 13));
    EXPECT_FALSE(list.contains(Key::spaced, -1));
    EXPECT_EQ(list.find(Key::spaced, int64_t{1} << 40), nullptr);

    EXPECT_THROW(list.add(record("x", 12), "&HC"), DuplicateKeyError);
    EXPECT_THROW(list.add(record("x", 12), " 12"), DuplicateKeyError);
    EXPECT_THROW(list.add(record("x", -5), Key::spaced, -5), DuplicateKeyError);
    try {
        list.add(record("x", 255), Key::hex, 12);
        ADD_FAILURE() << "a second item under &hC";
    } catch (const DuplicateKeyError& error) {
        EXPECT_NE(std::string(error.what()).find("&hC"), std::string::npos) << error.what();
    }
    EXPECT_EQ(list.count(), 6);

    // Spaced decimals beyond 32 bits stay texts, and are found as texts.
    list.add(record("g", 0), " 4294967296");
    EXPECT_EQ(list.find(Key::spaced, int64_t{4294967296}), list.at(7));
    EXPECT_EQ(OffsetList::keyText(Key::hex, 300022), "&h493F6");
    EXPECT_EQ(OffsetList::keyText(Key::spaced, 0), " 0");
}

TEST(OffsetList, TryAddAndRemoveLastUndoAddsUnderTextsOfEveryShape) {
    OffsetList list;
    list.add(record("kept", 0), "kept");
    EXPECT_FALSE(list.tryAdd(record("x", 1), "KEPT"));
    ASSERT_TRUE(list.tryAdd(record("a", 1), "&hC"));  // a number-shaped text
    ASSERT_TRUE(list.tryAdd(record("b", 2), "b"));
    ASSERT_TRUE(list.tryAdd(record("", 3), ""));  // no key
    EXPECT_FALSE(list.tryAdd(record("c", 4), "&Hc"));
    EXPECT_TRUE(list.contains(OffsetList::NumberKey::hex, 12));
    EXPECT_EQ(list.count(), 4);

    list.removeLast("");
    list.removeLast("b");
    list.removeLast("&hC");
    EXPECT_EQ(list.count(), 1);
    EXPECT_FALSE(list.contains("b"));
    EXPECT_FALSE(list.contains(OffsetList::NumberKey::hex, 12));
    EXPECT_EQ(list.byKey("kept"), list.at(1));
    // The keys are free again.
    list.add(record("b2", 5), "B");
    list.add(record("a2", 6), OffsetList::NumberKey::hex, 12);
    EXPECT_EQ(list.byKey("&hc")->name, "a2");
}

}  // namespace
}  // namespace kestrel
