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

} // namespace
} // namespace kestrel
