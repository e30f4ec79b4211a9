// Encoder and decoder read one parameter type table: for every type code a
// field the encoder writes is the field the decoder reads back, so the byte
// parameter behind it lands on its own byte.
#include "CommandsFixture.h"
#include "text/ParmType.h"

namespace kestrel::test {
namespace {

class CodecAgreement : public CommandsFixture {};

TEST_F(CodecAgreement, EveryTypeCodeIsReadBackWithTheWidthItWasWrittenWith) {
    for (int code = 0; code <= 20; ++code) {
        const ParmType type = ParmType::of(code);
        if (type.layout != ParmLayout::number && type.layout != ParmLayout::pointer) continue;
        SCOPED_TRACE(code);
        CmdList list(files.log(), autobank);
        tCmd& cmd = list.newcmd();
        cmd.keyword = "t";
        cmd.bytecode = 0x20;
        cmd.addparm(static_cast<uint8_t>(code));
        cmd.addparm(ParmType::byte);
        list.add();

        std::string script = type.isPointer() ? "t lbl 7" : "t 5 7";
        std::string pointers;
        ASSERT_TRUE(list.encode(script, pointers, 1));
        const std::size_t field = type.isPointer() ? 4 : static_cast<std::size_t>(type.width);
        ASSERT_EQ(script.size(), 1 + field + 1);
        EXPECT_EQ(pointers, type.isPointer() ? "lbl,1," + std::to_string(code) : "");

        std::string mask;
        list.decode(script, mask, false);
        EXPECT_TRUE(script.ends_with(" &h07")) << script;
        // Every pointer kind enters the entry list as a plain pointer.
        EXPECT_EQ(mask, "t," + std::to_string(type.isPointer() ? 3 : code) + ",0");
    }
}

}  // namespace
}  // namespace kestrel::test
