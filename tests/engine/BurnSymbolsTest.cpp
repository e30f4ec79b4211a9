// The labels of a run's burns for a symbol file: only burns whose line
// replaced its images count, at the address they were burned at.
#include "EngineFixture.h"

#include "buffers/SymbolTable.h"
#include "engine/LineImages.h"
#include "text/KestrelError.h"

namespace kestrel::test {
namespace {

class BurnSymbols : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        write("img.bin", std::string(0x40, '\x55'));
        shared->gEngine->lineImages().collectSymbols(&symbols);
    }
    void TearDown() override {
        shared->gEngine->lineImages().collectSymbols(nullptr);
        EngineTest::TearDown();
    }
    SymbolTable symbols;
};

TEST_F(BurnSymbols, EveryBurnOfTheRunIsListedWithTheBankBase) {
    run("#org 0x10;#41;#kapop img.bin");
    run("#org 0x4;#42;#kapop img.bin");
    ASSERT_EQ(errors(), 0);
    const std::string text = symbols.text();
    EXPECT_EQ(text.substr(0, 9), "08000004 ");
    EXPECT_NE(text.find("\n08000010 "), std::string::npos) << text;
    EXPECT_EQ(symbols.size(), 2u);
}

TEST_F(BurnSymbols, AutobankOffGivesImageOffsets) {
    run("#autobank off;#org 0x10;#41;#kapop img.bin");
    ASSERT_EQ(errors(), 0);
    EXPECT_EQ(symbols.text().substr(0, 9), "00000010 ");
    run("#autobank on");
}

TEST_F(BurnSymbols, ALineWhoseBurnFailedAddsNothing) {
    run("#org 0x4;#41;#kapop img.bin;#org 0xFFFFFFF0;#42;#kapop img.bin");
    EXPECT_EQ(errors(), 1);
    EXPECT_TRUE(symbols.empty());
    EXPECT_THROW(run("#org 0x4;#41;#kapop img.bin;#kapow"), ProgramExit);
    EXPECT_TRUE(symbols.empty());
}

}  // namespace
}  // namespace kestrel::test
