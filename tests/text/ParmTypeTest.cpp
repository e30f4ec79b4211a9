// The parameter type table against the number primitives that read it, and
// the one pointer rule.
#include <gtest/gtest.h>

#include "text/ParmType.h"
#include "text/SmartNum.h"

namespace kestrel {
namespace {

TEST(ParmTypeTable, ListingWidthsAndLabelsComeFromTheTable) {
    for (int code = 0; code <= ParmType::userDword; ++code) {
        const ParmType row = ParmType::of(code);
        EXPECT_EQ(row.code, code);
        EXPECT_EQ(SmartNum::STransLength(-code, 2), row.width) << code;
        EXPECT_EQ(SmartNum::STransLength(-code, 1), 2 * row.width) << code;
        EXPECT_EQ(SmartNum::STransLabel(-code), row.label) << code;
    }
    // Past the table a code counts its own width and has no label.
    EXPECT_EQ(ParmType::of(20).width, 20);
    EXPECT_EQ(SmartNum::STransLength(-20, 2), 20);
    EXPECT_EQ(SmartNum::STransLabel(-20), "");
    EXPECT_EQ(ParmType::of(-5).width, -5);
}

TEST(ParmTypeTable, PointersAreThreeAndEverythingFromEightUp) {
    for (int code : {0, 1, 2, 4, 5, 6, 7}) EXPECT_FALSE(ParmType::of(code).isPointer()) << code;
    for (int code : {3, 8, 9, 10, 11, 12, 13, 14, 255}) EXPECT_TRUE(ParmType::of(code).isPointer()) << code;
    EXPECT_FALSE(ParmType::of(-3).isPointer());
    // Type list entries are any number: only 3 itself, and 8 on.
    EXPECT_FALSE(ParmType::isPointer(3.5));
    EXPECT_FALSE(ParmType::isPointer(7.9));
    EXPECT_TRUE(ParmType::isPointer(8.5));
}

TEST(ParmTypeTable, LayoutsOfTheNonPointerCodes) {
    EXPECT_EQ(ParmType::of(ParmType::endMark).layout, ParmLayout::endMark);
    EXPECT_EQ(ParmType::of(ParmType::mask).layout, ParmLayout::mask);
    EXPECT_EQ(ParmType::of(ParmType::command).layout, ParmLayout::command);
    for (int code : {0, 1, 2, 5}) EXPECT_EQ(ParmType::of(code).layout, ParmLayout::number) << code;
}

}  // namespace
}  // namespace kestrel
