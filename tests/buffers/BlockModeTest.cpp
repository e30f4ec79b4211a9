#include <gtest/gtest.h>

#include "buffers/BlockMode.h"

namespace kestrel {
namespace {

TEST(BlockModeOf, CommandsTextAndEverythingAboveTextIsRaw) {
    EXPECT_EQ(blockModeOf(3), BlockMode::commands);
    EXPECT_EQ(blockModeOf(8), BlockMode::text);
    for (int mode : {9, 10, 13, 200, 32767}) EXPECT_EQ(blockModeOf(mode), BlockMode::raw) << mode;
    // Other modes name no block: the decompiler writes only their "#ORG" line.
    for (int mode : {-1, 0, 1, 2, 4, 7}) EXPECT_FALSE(blockModeOf(mode).has_value()) << mode;
}

TEST(BlockModeOf, PointerKindsLeadToTheirBlocks) {
    EXPECT_EQ(blockModeOf(ParmType::pointer), BlockMode::commands);
    EXPECT_EQ(blockModeOf(ParmType::textPointer), BlockMode::text);
    EXPECT_EQ(blockModeOf(ParmType::movePointer), BlockMode::raw);
    EXPECT_EQ(modeCode(BlockMode::raw), 9);
}

}  // namespace
}  // namespace kestrel
