#include "WrenObjects.h"

namespace wren::test {
namespace {

TEST(WrenFactory, CreatesBothClassesByIdentifierInAnyCaseWithOrWithoutBraces) {
    const char* lettersIds[] = {kHandleLettersClsid, "{e2d31c50-dc2c-48ed-a123-1f21841d57c8}",
                                "E2D31C50-DC2C-48ED-A123-1F21841D57C8", "Wren.HandleLetters"};
    for (const char* id : lettersIds) {
        auto letters = create<IHandleLetters>(id);
        ASSERT_NE(letters, nullptr) << id;
        EXPECT_EQ(letters->bError(), 0);
    }
    const char* wordsIds[] = {kHandleWordsClsid, "40ceefb8-7657-4c2e-b8be-b07990dee3cb", "wren.handlewords"};
    for (const char* id : wordsIds) {
        auto words = create<IHandleWords>(id);
        ASSERT_NE(words, nullptr) << id;
        uint8_t column = 0;
        EXPECT_EQ(words->define("move up", column), "move up ");
    }
}

TEST(WrenFactory, RefusesUnknownIdentifiersAndNullArguments) {
    WrenObject* object = reinterpret_cast<WrenObject*>(&object);
    EXPECT_NE(WrenCreateInstance(kHandleLettersIid, &object), 0);
    EXPECT_EQ(object, nullptr);
    EXPECT_NE(WrenCreateInstance("{E2D31C50-DC2C-48ED-A123-1F21841D57C8", &object), 0);
    EXPECT_NE(WrenCreateInstance("", &object), 0);
    EXPECT_NE(WrenCreateInstance(nullptr, &object), 0);
    EXPECT_NE(WrenCreateInstance(kHandleWordsClsid, nullptr), 0);
}

}  // namespace
}  // namespace wren::test
