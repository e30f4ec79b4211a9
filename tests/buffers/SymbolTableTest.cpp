// Symbol files: one "AAAAAAAA NAME" line per label, sorted, with the bank
// base added while autobank is on.
#include <gtest/gtest.h>

#include "buffers/BurnPlan.h"
#include "buffers/SymbolTable.h"

namespace kestrel::test {
namespace {

TEST(SymbolTable, SortsByAddressThenNameAndKeepsEachEntryOnce) {
    SymbolTable symbols;
    symbols.add(0x08000100, "b");
    symbols.add(0x08000100, "a");
    symbols.add(0x00000010, "z");
    symbols.add(0x08000100, "a");
    symbols.add(0xFFFFFFFF, "top");
    EXPECT_EQ(symbols.text(), "00000010 z\n08000100 a\n08000100 b\nFFFFFFFF top\n");
    EXPECT_EQ(symbols.size(), 4u);
    EXPECT_EQ(SymbolTable::addressOf(0, true), 0x08000000u);
    EXPECT_EQ(SymbolTable::addressOf(0x7FFFFFF, true), 0x0FFFFFFFu);
    EXPECT_EQ(SymbolTable::addressOf(0x8000000, true), 0x08000000u) << "offsets at the bank base stay";
    EXPECT_EQ(SymbolTable::addressOf(0x1234, false), 0x1234u);
}

TEST(SymbolTable, APlansLabelsTakeTheAutobankSettingGiven) {
    BurnPlan plan;
    plan.labels.push_back({"m.one", 0, 1, 0, 4, 0x1000, true});
    plan.labels.push_back({"m.two", 0, 2, 4, 0, 0x1004, true});
    SymbolTable banked;
    banked.add(plan, true);
    EXPECT_EQ(banked.text(), "08001000 m.one\n08001004 m.two\n");
    SymbolTable plain;
    plain.add(plan, false);
    plain.merge(banked);
    EXPECT_EQ(plain.size(), 4u);
    EXPECT_EQ(plain.text().substr(0, 30), "00001000 m.one\n00001004 m.two\n");
}

}  // namespace
}  // namespace kestrel::test
