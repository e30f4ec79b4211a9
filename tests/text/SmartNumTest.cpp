#include "text/SmartNum.h"

#include <gtest/gtest.h>

#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "text/Autobank.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/TextKit.h"

namespace kestrel {
namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

class AutobankOn : public ::testing::Test {
protected:
    Autobank bank;
};

TEST_F(AutobankOn, CPtrAddsImageBaseBelowIt) {
    EXPECT_TRUE(bank.on()) << "the switch is on at start";
    EXPECT_EQ(SmartNum::CPtr("&h100", bank), 0x08000100);
    EXPECT_EQ(SmartNum::CPtr("&h8000000", bank), 0x08000000);
    EXPECT_EQ(SmartNum::CPtr("&h8000100", bank), 0x08000100);  // converting twice is harmless
    EXPECT_EQ(SmartNum::CPtr("0", bank), 0);
    EXPECT_EQ(SmartNum::CPtr("&h8000", bank), -32768);
    EXPECT_EQ(SmartNum::numberpush("&h8000", -3), bytes({0x00, 0x80, 0xFF, 0xFF}));
    EXPECT_THROW(SmartNum::CPtr("&h7FFFFFFF0", bank), OverflowError);
    bank.set(false);
    EXPECT_FALSE(bank.on());
    EXPECT_EQ(SmartNum::CPtr("&h100", bank), 0x100);
    EXPECT_EQ(SmartNum::numberpush("4096", -9), bytes({0x00, 0x10, 0x00, 0x00}));
}

// A pointer field is the number it is given; the switch acts where an offset
// becomes a pointer, read at each conversion.
TEST_F(AutobankOn, DollarEntriesFollowTheSwitchOfTheirConverter) {
    SmartNum num(bank);
    EXPECT_EQ(SmartNum::numberpush("256", -3), bytes({0x00, 0x01, 0x00, 0x00}));
    std::string mask = "$1";
    EXPECT_EQ(num.kaCodevals("256", mask), bytes({0x00, 0x01, 0x00, 0x08}));
    bank.set(false);
    mask = "$1";
    EXPECT_EQ(num.kaCodevals("256", mask), bytes({0x00, 0x01, 0x00, 0x00}));
    Autobank other;
    SmartNum elsewhere(other);
    mask = "$1";
    EXPECT_EQ(elsewhere.kaCodevals("256", mask), bytes({0x00, 0x01, 0x00, 0x08})) << "each switch is its own";
}

TEST(SmartNumPush, FieldsAreLittleEndianAndKeepLeadingDigits) {
    EXPECT_EQ(SmartNum::numberpush("&HFF", 0), bytes({0xFF}));
    EXPECT_EQ(SmartNum::numberpush("255", 0), bytes({0xFF}));
    EXPECT_EQ(SmartNum::numberpush("256", 0), bytes({0x10}));
    EXPECT_EQ(SmartNum::numberpush("300", 0), bytes({0x12}));
    EXPECT_EQ(SmartNum::numberpush("-1", -1), bytes({0xFF, 0xFF}));
    EXPECT_EQ(SmartNum::numberpush("&h1234", -1), bytes({0x34, 0x12}));
    EXPECT_EQ(SmartNum::numberpush("5", -2), bytes({0x05, 0x00, 0x00, 0x00}));
    EXPECT_EQ(SmartNum::numberpush("&h1", -2), bytes({0x01, 0x00, 0x00, 0x00}));
    EXPECT_EQ(SmartNum::numberpush("&hZZ", 0), bytes({0x00}));
    EXPECT_EQ(SmartNum::numberpush("&h1Z", 0), bytes({0x01}));
    EXPECT_EQ(SmartNum::numberpush("1", -5).size(), 5u);
    EXPECT_THROW(SmartNum::numberpush("4294967296", -2), OverflowError);
}

TEST(SmartNumPush, RawDataTakesItsOwnLength) {
    EXPECT_EQ(SmartNum::numberpush("&habc", 1), bytes({0xBC, 0x0A}));
    EXPECT_EQ(SmartNum::numberpush("&h0102&h0304", 1), bytes({0x04, 0x03, 0x02, 0x01}));
    EXPECT_EQ(SmartNum::numberpush("", 1), "");
}

TEST(SmartNumPull, BytesToHexWords) {
    EXPECT_EQ(SmartNum::numberpull(bytes({0x0A, 0x00})), "&h000A");
    EXPECT_EQ(SmartNum::numberpull(bytes({0x34, 0x12})), "&h1234");
    EXPECT_EQ(SmartNum::numberpull(""), "&h");
    const std::string all = SmartNum::numberpush("&hFF80", -1);
    EXPECT_EQ(SmartNum::numberpull(all), "&hFF80");
}

TEST(SmartNumTypes, LengthsAndLabels) {
    EXPECT_EQ(SmartNum::STransLength(-4, 1), 8);
    EXPECT_EQ(SmartNum::STransLength(5, 2), -5);
    EXPECT_EQ(SmartNum::STransLength(-7, 2), 1);
    EXPECT_EQ(SmartNum::STransLength(-13, 2), 13);
    EXPECT_EQ(SmartNum::STransLabel(-14), "");
    EXPECT_EQ(SmartNum::STransLabel(1), "");
    EXPECT_EQ(SmartNum::STransLabel(-3), "Pointer = ");
    EXPECT_EQ(SmartNum::STransLabel(-9), "Move Point= ");
    EXPECT_THROW(SmartNum::STransLength(-20000, 1), OverflowError);
}

TEST_F(AutobankOn, CodevalsLeavesPointerSlotsOpen) {
    SmartNum num(bank);
    std::string mask = "0,1,3";
    EXPECT_EQ(num.kaCodevals("5 &h1234 lbl", mask), bytes({0x05, 0x34, 0x12}) + "!PTR");
    EXPECT_EQ(mask, "lbl,3,3");

    mask = "8,0,9";
    EXPECT_EQ(num.kaCodevals("Msg 1 #20", mask), "!PTR" + bytes({0x01}) + "!PTR");
    EXPECT_EQ(mask, "msg,0,8,&h20,5,9");  // words but the last are lower-cased

    mask = "3,3";
    num.kaCodevals("Start Loop", mask);
    EXPECT_EQ(mask, "start,0,3,Loop,4,3");

    mask = "0,0";
    EXPECT_EQ(num.kaCodevals("1 2", mask), bytes({0x01, 0x02}));
    EXPECT_EQ(mask, "");
}

TEST(SmartNumCodevals, UserParametersWriteMarkers) {
    const Autobank bank;
    SmartNum num(bank);
    std::string mask = "1";
    EXPECT_EQ(num.kaCodevals("$1", mask), "12");
    EXPECT_EQ(mask, "");
    mask = "0,2,3";
    EXPECT_EQ(num.kaCodevals("$1 $2 $3", mask), "1113!PTR");
    EXPECT_EQ(mask, "$3,4,3");
}

TEST(SmartNumCodevals, EmptyArgumentsReuseHolders) {
    const Autobank bank;
    SmartNum num(bank);
    std::string mask = "0,1";
    num.kaCodevals("1 2", mask);
    mask = "";
    EXPECT_EQ(num.kaCodevals("3 4", mask), bytes({0x03, 0x04, 0x00}));
    EXPECT_EQ(num.valueHolder().values(1), "4");

    SmartNum fresh(bank);
    mask = "0";
    EXPECT_THROW(fresh.kaCodevals("1 2", mask), TypeMismatchError);  // no type for "2"
    mask = "x";
    EXPECT_THROW(fresh.kaCodevals("1", mask), TypeMismatchError);
}

// The outcome of one kaCodevals call: bytes and pointer list, or the error.
std::string codevalsOutcome(const std::function<std::string(std::string&)>& call) {
    std::string pointers;
    try {
        const std::string data = call(pointers);
        return SmartNum::numberpull(data) + " | " + pointers;
    } catch (const TypeMismatchError&) {
        return "type mismatch";
    } catch (const OverflowError&) {
        return "overflow";
    }
}

TEST_F(AutobankOn, CodevalsOfWordListsMatchesTheTextPath) {
    using Fields = std::vector<std::string_view>;
    const std::vector<std::pair<Fields, Fields>> cases = {
        {{"42", "5", "&h1234", "Target"}, {"0", "0", "1", "3"}},
        {{"Lbl", "0X1F", "#2A", "300", "-1"}, {"3", "1", "2", "0", "5"}},
        {{"$1", "$2", "$3"}, {"0", "2", "3"}},  // user parameters
        {{"7", "8"}, {"$x", "7.5"}},            // "$" entry, fractional code
        {{"1", "", "2"}, {"0", "0", "0"}},      // an empty word: later values move up
        {{"1", "a b"}, {"0", "1"}},             // a word with a blank
        {{"1", "2"}, {"0"}},                    // fewer entries than words
        {{"1"}, {"x"}},                         // no number
        {{"5000000000"}, {"2"}},                // too large
        {{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16", "17"},
         {"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"}},
    };
    for (const auto& [words, types] : cases) {
        std::string source;
        std::string mask;
        for (std::string_view w : words) source.append(source.empty() ? "" : " ").append(w);
        for (std::string_view t : types) mask.append(mask.empty() ? "" : ",").append(t);
        const std::string byText = codevalsOutcome([&](std::string& pointers) {
            pointers = mask;
            return SmartNum(bank).kaCodevals(source, pointers);
        });
        SmartNum reused(bank);  // earlier calls leave nothing behind
        std::string ignored = "0,0,0,0";
        reused.kaCodevals("9 9 9 9", ignored);
        const std::string byWords =
            codevalsOutcome([&](std::string& pointers) { return reused.kaCodevals(words, types, pointers); });
        EXPECT_EQ(byWords, byText) << source << " / " << mask;
    }
}

// Whole numbers skip the digit text; the field must be what the digits give,
// leading digits included.
TEST_F(AutobankOn, PushOfWholeNumbersMatchesTheirDigitText) {
    auto viaDigits = [](const std::string& word, int size) {
        const int length = SmartNum::STransLength(size, 1);
        std::string digits = size == -3               ? numeric::hexText(numeric::toInt32(numeric::read(word)))
                             : word.starts_with("&h") ? textkit::upper(word.substr(2))
                                                      : numeric::hexText(numeric::read(word));
        if (static_cast<int>(digits.size()) < length)
            digits.insert(0, static_cast<size_t>(length) - digits.size(), '0');
        std::string field;
        for (int k = length / 2 - 1; k >= 0; --k)
            field += static_cast<char>(std::stoi(digits.substr(static_cast<size_t>(2 * k), 2), nullptr, 16));
        return field;
    };
    for (const char* word : {"0", "5", "255", "256", "300", "65535", "70000", "-1", "-300", "2147483647", "1.5", "2.5",
                             "&h", "&h7", "&hFF", "&h1234", "&h00001234", "lbl", "&h8000000"}) {
        for (int size : {0, -1, -2, -3, -5, -7}) {
            EXPECT_EQ(SmartNum::numberpush(word, size), viaDigits(word, size)) << word << " size " << size;
        }
    }
    EXPECT_EQ(SmartNum::numberpush("&hZZ", 0), bytes({0x00}));  // no digits: the pair reads as nothing
    EXPECT_THROW(SmartNum::numberpush("5000000000", 0), OverflowError);
}

TEST(SmartNumRipvals, DecodesByTypeList) {
    const Autobank bank;
    SmartNum num(bank);
    const std::string data = bytes({0x05, 0x34, 0x12, 0x00, 0x01, 0x00, 0x08});
    EXPECT_EQ(num.kaRipvals(data, "0,1,3"), "&h05 &h1234 &h08000100");
    EXPECT_EQ(num.valueHolder().values(2), "&h08000100");
    EXPECT_EQ(num.kaRipvals(bytes({0x07}), "0,1"), "&h07 &h");  // past the end: empty field
    EXPECT_EQ(num.kaRipvals(bytes({1, 2, 3, 4}), "$1"), "&h04030201");
    EXPECT_THROW(num.kaRipvals(data, "-5"), OutOfRangeError);
}

}  // namespace
}  // namespace kestrel
