// Named hostile inputs: the shapes the fuzzers are built around, each with
// what reading it must do. Inputs that broke an entry point join them here,
// as byte literals, when a fuzzer finds them.
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "FuzzFixture.h"
#include "Seeds.h"
#include "engine/Control.h"
#include "engine/Shared.h"

namespace kestrel::fuzz {

namespace {

int occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

}  // namespace

class Regression : public FuzzFixture {
protected:
    int errors() { return entries().shared().gEngine->errorCount(); }
    std::string image(std::initializer_list<std::pair<std::size_t, std::vector<std::string>>> blocks) {
        Seeds seeds(entries());
        std::string out(1, '\0');
        for (const auto& [offset, statements] : blocks) Seeds::place(out, offset, seeds.assemble(statements));
        return out;
    }
};

TEST_F(Regression, ImageShorterThanTheStartOffsetIsReportedAndNothingIsRead) {
    const int before = errors();
    const std::string script = entries().walk(std::string("\x00\x01\x05", 3), 0x100, 3);
    EXPECT_EQ(occurrences(script, "#ORG"), 0) << script;
    EXPECT_EQ(errors(), before + 1);
}

TEST_F(Regression, PointerPastTheEndOfTheImageIsReportedAndTheWalkGoesOn) {
    const int before = errors();
    const std::string script =
        entries().walk(image({{1, {"goto 0x7FFF00", "call 0x10", "end"}}, {0x10, {"wait 1"}}}), 1, 3);
    EXPECT_EQ(occurrences(script, "#ORG 0x1\r\n"), 1) << script;
    EXPECT_EQ(occurrences(script, "#ORG 0x10\r\n"), 1) << script;
    EXPECT_EQ(errors(), before + 1);
}

TEST_F(Regression, BlocksThatPointAtEachOtherAreDecodedOnceEach) {
    const std::string script =
        entries().walk(image({{1, {"goto 0x10", "end"}}, {0x10, {"call 0x1", "goto 0x10", "end"}}}), 1, 3);
    EXPECT_EQ(occurrences(script, "#ORG 0x1\r\n"), 1) << script;
    EXPECT_EQ(occurrences(script, "#ORG 0x10\r\n"), 1) << script;
}

TEST_F(Regression, BlockThatPointsAtItselfIsDecodedOnce) {
    const std::string script = entries().walk(image({{1, {"goto 0x1"}}}), 1, 3);
    EXPECT_EQ(occurrences(script, "#ORG"), 1) << script;
}

TEST_F(Regression, PointerFieldCutByTheEndOfTheImageGivesAShortWord) {
    // goto with two of its four pointer bytes.
    const std::string script = entries().walk(std::string("\x00\x05\x10\x00", 4), 1, 3);
    EXPECT_NE(script.find("&h0010"), std::string::npos) << script;
}

TEST_F(Regression, TextAndMovementBlocksThatRunOffTheImageEndThere) {
    EXPECT_NE(entries().walk(std::string("\x00\x41\x42", 3), 1, 8).find("=AB"), std::string::npos);
    EXPECT_NE(entries().walk(std::string("\x00\x01\x02", 3), 1, 9).find("#move &h1 &h2 "), std::string::npos);
}

}  // namespace kestrel::fuzz
