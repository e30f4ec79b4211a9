// The walk along an image's pointers reads each block as its pointer's kind
// says: a pointer leads to commands, a text pointer to a text, a movement
// pointer and the text parameter (a pointer slot too) to raw data.
#include <filesystem>
#include <string>

#include "engine/EngineFixture.h"

namespace kestrel::test {
namespace {

class DecompileModes : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        copyCodesets();
    }
};

TEST_F(DecompileModes, EachPointerKindNamesTheBlockItLeadsTo) {
    write("walk.ksc",
          "#org start\n"
          "goto main\n"
          "#org main\n"
          "say hello\n"
          "walk 1 path\n"
          "label tag\n"
          "end\n"
          "#org hello\n"
          "=Hi~\n"
          "#org path\n"
          "#move b 1 2 ff\n"
          "#org tag\n"
          "#41 42\n");
    write("walk.bin", std::string(512, '\0'));
    run("#boot lumen;#encode walk.ksc;#kapush start 0x100;#kapop walk.bin");
    ASSERT_EQ(errors(), 0);
    run("#boot lumen;#rawdecode walk.bin 0x100 3");
    ASSERT_EQ(errors(), 0);
    const std::string script = readFile(dir_ / "walk100.ksc");

    // Commands at the start and behind goto; the text behind say; raw data
    // behind walk (stopped at its FF) and behind label.
    EXPECT_NE(script.find("\r\n#ORG 0x100\r\ngoto &h"), std::string::npos) << script;
    EXPECT_NE(script.find("say &h"), std::string::npos) << script;
    EXPECT_NE(script.find("\r\n#ORG 0x116\r\n=Hi"), std::string::npos) << script;
    EXPECT_NE(script.find("#move &h1 &h2 &hFF \r\n"), std::string::npos) << script;
    EXPECT_NE(script.find("\r\n#ORG 0x11D\r\n#move &h41 &h2A "), std::string::npos) << script;
    EXPECT_TRUE(logged("RECORDS NOT IMPLIMENTED. Assumed RAW data"));
}

TEST_F(DecompileModes, BufferLabelsAreReadByTheirOwnMode) {
    write("labels.ksc",
          "#org main\n"
          "say hello\n"
          "end\n"
          "#org hello\n"
          "=Hi~\n"
          "#org data\n"
          "#41 0x42\n");
    run("#boot lumen;#encode labels.ksc");
    ASSERT_EQ(errors(), 0);
    std::filesystem::create_directory(dir_ / "out");
    std::filesystem::rename(dir_ / "labels.buf", dir_ / "out" / "labels.buf");
    run("#kableewy;#decode out/labels.buf");
    ASSERT_EQ(errors(), 0) << console.lines.back();
    const std::string script = readFile(dir_ / "out" / "labels.ksc");
    // A label's script names its pointers and writes numbers as "0x".
    EXPECT_NE(script.find("#ORG main 0\r\nsay hello\r\nend"), std::string::npos) << script;
    EXPECT_NE(script.find("#ORG hello 0\r\n=Hi~"), std::string::npos) << script;
    EXPECT_NE(script.find("#ORG data 0\r\n#move 0x41 0x42 "), std::string::npos) << script;
}

}  // namespace
}  // namespace kestrel::test
