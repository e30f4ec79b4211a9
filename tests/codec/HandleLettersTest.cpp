#include <string>
#include <vector>

#include "WrenObjects.h"

namespace wren::test {
namespace {

void add(IHandleLetters& letters, std::string value1, std::string value2, const std::string& method) {
    letters.add(value1, value2, method);
}

std::string bytes(std::initializer_list<int> codes) {
    std::string text;
    for (int code : codes) text += static_cast<char>(code);
    return text;
}

// The marker set of a typical codeset: #p code names, #x3F raw bytes,
// [name] code names and [var] announcing a raw byte.
Handle<IHandleLetters> markedLetters() {
    auto letters = newLetters();
    add(*letters, "#", "hash", "ctrl");
    add(*letters, "#x", "hex", "ctrl");
    add(*letters, "[", "start", "ctrl");
    add(*letters, "]", "end", "ctrl");
    add(*letters, "[VAR]", "var", "ctrl");
    add(*letters, "[Player]", "&h90", "hash");
    add(*letters, "#p", "145", "hash");
    add(*letters, "[var]", "&hFC", "hash");
    add(*letters, "A", "&h41", "text");
    add(*letters, "B", "&h42", "text");
    return letters;
}

TEST(HandleLettersEncode, FinishMarkerIsAppendedAndEncoded) {
    auto letters = newLetters();
    add(*letters, "A", "&h80", "text");
    add(*letters, "~", "&hFF", "text");
    EXPECT_EQ(letters->encode("A"), bytes({0x80})) << "no finish marker yet";
    add(*letters, "~", "finish", "ctrl");
    EXPECT_EQ(letters->encode("A"), bytes({0x80, 0xFF}));
    EXPECT_EQ(letters->Decode(bytes({0x80, 0xFF})), "A~");
    EXPECT_EQ(letters->bError(), 0);
}

TEST(HandleLettersEncode, MarkersSelectCodeNamesAndRawBytes) {
    auto letters = markedLetters();
    EXPECT_EQ(letters->encode("#x3F"), bytes({0x3F}));
    EXPECT_EQ(letters->encode("A[PLAYER]B"), bytes({0x41, 0x90, 0x42}));
    EXPECT_EQ(letters->encode("#pA"), bytes({0x91, 0x41}));
    EXPECT_EQ(letters->encode("[var]#xfe"), bytes({0xFC, 0xFE}));
    EXPECT_EQ(letters->bError(), 0);
    EXPECT_EQ(letters->sLog(), "");
}

TEST(HandleLettersEncode, UnknownCodeNamesGiveByteZeroAndAnError) {
    auto letters = markedLetters();
    EXPECT_EQ(letters->encode("A[nobody]B"), bytes({0x41, 0x00, 0x42}));
    EXPECT_EQ(letters->bError(), 1);
    EXPECT_EQ(letters->sLog(), "Softcode Error: Not Translatable Value");

    letters->setBError(0);
    letters->setSLog("");
    EXPECT_EQ(letters->encode("#qA"), bytes({0x00, 0x41}));
    EXPECT_EQ(letters->encode("#xZZA"), bytes({0x00, 0x41}));
    EXPECT_EQ(letters->bError(), 1);
}

TEST(HandleLettersEncode, UntranslatableCharacterIsDroppedAndTheNextStillEncoded) {
    auto letters = markedLetters();
    letters->setSLog("earlier");
    EXPECT_EQ(letters->encode("AzB"), "AB");
    EXPECT_EQ(letters->bError(), 1);
    EXPECT_EQ(letters->sLog(), "Softcode Error: Not Translatable Value\nearlier");
}

TEST(HandleLettersEncode, StartMarkerWithoutEndIsAnOrdinaryCharacter) {
    auto letters = markedLetters();
    add(*letters, "[", "&h5B", "text");
    EXPECT_EQ(letters->encode("A[B"), "A[B");
    EXPECT_EQ(letters->bError(), 0);
}

TEST(HandleLettersDecode, VarCodeMakesTheNextByteRawWithTwoHexDigits) {
    auto letters = markedLetters();
    EXPECT_EQ(letters->Decode(bytes({0x41, 0xFC, 0x3F, 0x42})), "A[var]#x3FB");
    EXPECT_EQ(letters->Decode(bytes({0xFC, 0x05, 0x41})), "[var]#x05A");
    // A code name after [var] stays a code name.
    EXPECT_EQ(letters->Decode(bytes({0xFC, 0x90})), "[var][player]");
    EXPECT_EQ(letters->Decode(bytes({0x91})), "#p");
    EXPECT_EQ(letters->bError(), 0);

    const std::string image = bytes({0x41, 0xFC, 0x05, 0x42, 0x90, 0xFC, 0xAB});
    EXPECT_EQ(letters->encode(letters->Decode(image)), image);
}

TEST(HandleLettersDecode, UnknownByteIsReportedAndReplacesTheLog) {
    auto letters = markedLetters();
    letters->setSLog("earlier");
    EXPECT_EQ(letters->Decode(bytes({0x41, 0x07, 0x42})), "AB");
    EXPECT_EQ(letters->bError(), 1);
    EXPECT_EQ(letters->sLog(), "Error: Invalid Characters Detected");
}

TEST(HandleLettersTables, CodesBelowSixteenAndHighBytesTranslateBothWays) {
    auto letters = newLetters();
    add(*letters, "n", "&h9", "text");
    add(*letters, "@", "&h00", "text");
    add(*letters, "\xE9", "&hE9", "text");
    add(*letters, "[five]", "5", "hash");
    add(*letters, "[fd]", "253", "hash");
    add(*letters, "[", "start", "ctrl");
    add(*letters, "]", "end", "ctrl");
    EXPECT_EQ(letters->encode("n@\xE9[five][FD]"), bytes({0x09, 0x00, 0xE9, 0x05, 0xFD}));
    EXPECT_EQ(letters->Decode(bytes({0x09, 0x00, 0xE9, 0x05, 0xFD})), "n@\xE9[five][fd]");
    EXPECT_EQ(letters->bError(), 0);
}

TEST(HandleLettersTables, LettersDifferingInCaseAreDifferentCharacters) {
    auto letters = newLetters();
    add(*letters, "A", "&h01", "text");
    add(*letters, "a", "&h02", "text");
    EXPECT_EQ(letters->encode("aA"), bytes({0x02, 0x01}));
    EXPECT_EQ(letters->Decode(bytes({0x01, 0x02})), "Aa");
}

TEST(HandleLettersTables, FirstEntryWinsForItsKey) {
    auto letters = newLetters();
    add(*letters, "A", "&h10", "text");
    add(*letters, "B", "&h10", "text");
    add(*letters, "A", "&h11", "text");
    EXPECT_EQ(letters->encode("AB"), bytes({0x10, 0x10}));
    EXPECT_EQ(letters->Decode(bytes({0x10, 0x11})), "AA");
    EXPECT_EQ(letters->bError(), 0) << "duplicates are not reported by add";
}

TEST(HandleLettersAdd, MethodsAndMarkerSlotsByNumberOrWord) {
    auto letters = newLetters();
    add(*letters, "<", "1", "0");
    add(*letters, ">", "END", "CTRL");
    add(*letters, "%", "7", "ctrl");
    add(*letters, "<k>", "&h20", "1");
    add(*letters, "%k", "&h21", "Hash");
    add(*letters, "k", "&h22", "2");
    add(*letters, "j", "&h23", "3");
    EXPECT_EQ(letters->encode("<K>%kkj"), bytes({0x20, 0x21, 0x22}));
    EXPECT_EQ(letters->bError(), 1) << "j was never added";
}

TEST(HandleLettersAdd, CodeOutsideSixteenBitsIsRecordedNotAdded) {
    auto letters = newLetters();
    add(*letters, "[big]", "70000", "hash");
    EXPECT_EQ(letters->bError(), 1);
    EXPECT_NE(letters->sLog(), "");
}

TEST(HandleLettersLimits, EncodeStopsAfter511ProducedCharacters) {
    auto letters = markedLetters();
    add(*letters, "C", "&h80", "text");
    std::string result = letters->encode(std::string(511, 'C'));
    EXPECT_EQ(result, std::string(511, '\x80'));
    EXPECT_EQ(letters->bError(), 0);

    // A code name of two characters produces one.
    std::string names;
    for (int i = 0; i < 511; ++i) names += "#p";
    EXPECT_EQ(letters->encode(names), std::string(511, '\x91'));
    EXPECT_EQ(letters->bError(), 0);

    result = letters->encode("z" + std::string(600, 'C'));
    EXPECT_EQ(result, std::string(511, '\x80') + std::string(89, 'C'));
    EXPECT_EQ(letters->bError(), 1);
    EXPECT_EQ(letters->sLog(),
              "ERROR: String Too Large. Encode of string Stopped.\nSoftcode Error: Not Translatable Value");
}

TEST(HandleLettersLimits, DecodeStopsAfter511Bytes) {
    auto letters = markedLetters();
    EXPECT_EQ(letters->Decode(std::string(511, 'A')), std::string(511, 'A'));
    EXPECT_EQ(letters->bError(), 0);
    letters->setSLog("earlier");
    EXPECT_EQ(letters->Decode(std::string(512, 'A')), std::string(511, 'A'));
    EXPECT_EQ(letters->bError(), 1);
    EXPECT_EQ(letters->sLog(), "Error: String to large. Encode of string Stopped.");
}

TEST(HandleLettersErrors, ErrorStaysUntilTheClientClearsIt) {
    auto letters = markedLetters();
    letters->encode("z");
    ASSERT_EQ(letters->bError(), 1);
    EXPECT_EQ(letters->encode("AB"), "AB");
    EXPECT_EQ(letters->Decode("AB"), "AB");
    EXPECT_EQ(letters->bError(), 1);
    EXPECT_EQ(letters->sLog(), "Softcode Error: Not Translatable Value");
    letters->setBError(0);
    letters->setSLog("");
    letters->encode("AB");
    EXPECT_EQ(letters->bError(), 0);
    EXPECT_EQ(letters->sLog(), "");
}

struct RecordingSink : HandleLettersEvents {
    std::vector<std::pair<std::string, int16_t>> calls;
    bool clear = false;
    void Updated(std::string& Log, int16_t& errors) override {
        calls.emplace_back(Log, errors);
        if (clear) {
            Log.clear();
            errors = 0;
        }
    }
};

TEST(HandleLettersEvents, UpdatedFollowsEveryEncodeAndDecodeWithTheLogByReference) {
    auto letters = markedLetters();
    RecordingSink sink;
    letters->advise(&sink);
    letters->encode("AB");
    letters->Decode("\x07");
    ASSERT_EQ(sink.calls.size(), 2u);
    EXPECT_EQ(sink.calls[0], std::make_pair(std::string(), int16_t{0}));
    EXPECT_EQ(sink.calls[1], std::make_pair(std::string("Error: Invalid Characters Detected"), int16_t{1}));

    sink.clear = true;
    letters->encode("z");
    EXPECT_EQ(letters->bError(), 0);
    EXPECT_EQ(letters->sLog(), "");

    letters->advise(nullptr);
    letters->encode("A");
    EXPECT_EQ(sink.calls.size(), 3u);
}

}  // namespace
}  // namespace wren::test
