// Built with KESTREL_WIN32_COM only: the adapters over wren's COM classes.
#ifdef KESTREL_WIN32_COM
// kestrel's view of wren on Windows: the classes come through COM (wren.dll
// registered by the server test) and behave as the core expects.
#  include <memory>
#  include <string>

#  include <gtest/gtest.h>

#  include "codec/Wren.h"
#  include "platform/win32/Win32Platform.h"

namespace kestrel {
namespace {

struct Releaser {
    void operator()(wren::WrenObject* object) const {
        if (object != nullptr) object->Release();
    }
};

class CountingReceiver : public wren::HandleLettersEvents {
public:
    void Updated(std::string& Log, int16_t& errors) override {
        ++calls;
        seenErrors = errors;
        Log += " (seen)";
    }
    int calls = 0;
    int16_t seenErrors = 0;
};

TEST(WrenThroughCom, LettersKeepEveryByteAndTheEventReachesTheCore) {
    Win32Platform platform;
    platform.setBatch(true);
    std::unique_ptr<wren::IHandleLetters, Releaser> letters(
        static_cast<wren::IHandleLetters*>(platform.createCodecObject(wren::kHandleLettersClsid)));
    ASSERT_NE(letters, nullptr);
    std::string all;
    for (int value = 0; value < 256; ++value) {
        char code[8];
        std::snprintf(code, sizeof code, "&h%02X", (value + 1) % 256);
        std::string key(1, static_cast<char>(value)), target(code);
        letters->add(key, target, "text");
        all += static_cast<char>(value);
    }
    std::string shifted;
    for (int value = 0; value < 256; ++value) shifted += static_cast<char>((value + 1) % 256);
    CountingReceiver receiver;
    letters->advise(&receiver);
    EXPECT_EQ(letters->encode(all), shifted);
    EXPECT_EQ(letters->Decode(shifted), all);
    EXPECT_EQ(receiver.calls, 2);
    letters->advise(nullptr);
    letters->encode("x");
    EXPECT_EQ(receiver.calls, 2);

    std::string marker = "#", slot = "hash";
    letters->add(marker, slot, "ctrl");
    std::string hexMarker = "#x", hexSlot = "hex";
    letters->add(hexMarker, hexSlot, "ctrl");
    EXPECT_EQ(letters->hexForm(0x3F), "#x3F");
    letters->setBError(1);
    letters->setSLog(std::string("a\0b", 3));
    EXPECT_EQ(letters->bError(), 1);
    EXPECT_EQ(letters->sLog(), std::string("a\0b", 3));
}

TEST(WrenThroughCom, WordsDefineAndUnknownClassesGiveNothing) {
    Win32Platform platform;
    platform.setBatch(true);
    std::unique_ptr<wren::IHandleWords, Releaser> words(
        static_cast<wren::IHandleWords*>(platform.createCodecObject(wren::kHandleWordsClsid)));
    ASSERT_NE(words, nullptr);
    std::string a = "UP", b = "1";
    words->add(a, b, "move[1]");
    EXPECT_EQ(a, "move[1]up") << "the rewritten arguments come back";
    EXPECT_EQ(b, "move[1]1");
    uint8_t column = 0;
    EXPECT_EQ(words->define("move UP up", column), "move 1 up ");
    EXPECT_EQ(platform.createCodecObject(wren::kHandleLettersIid), nullptr);
}

}  // namespace
}  // namespace kestrel

#endif
