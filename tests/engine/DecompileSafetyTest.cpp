// Hostile buffer files and images decompile into scripts that compile back
// to data only: comments, label and pointer names and texts can never end a
// line and plant a directive. Each case plants "#del sentinel.txt" (or a
// directive like it) and checks that compiling the decompiled script leaves
// the sentinel alone and that no line of it is a statement the decompiler
// does not write.
#include "EngineFixture.h"

#include "codec/Wren.h"
#include "engine/ScriptText.h"
#include "support/ScriptScan.h"

namespace kestrel::test {

namespace {

namespace fs = std::filesystem;

std::string stringField(const std::string& text) {
    return bytes({8, 0, static_cast<int>(text.size() & 0xFF), static_cast<int>(text.size() >> 8)}) + text;
}
std::string record(int buffer, int32_t offset, int mode, const std::string& name) {
    return bytes({buffer, offset & 0xFF, (offset >> 8) & 0xFF, 0, 0, mode, 0}) + stringField(name);
}
std::string emptyGroups(int count) { return std::string(static_cast<std::size_t>(2 * count), '\0'); }

}  // namespace

class DecompileSafety : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        copyCodesets();
        write("sentinel.txt", "still here");
        run("#boot lumen");
        ASSERT_EQ(errors(), 0);
    }

    // A label of buffer b with its bytes, added straight to the set.
    void put(int b, const std::string& name, int16_t mode, const std::string& data, const std::string& pointers = "") {
        buffers().setInbuffer(static_cast<uint8_t>(b));
        buffers().setInname(name);
        buffers().setInmode(mode);
        buffers().add_Data(data, pointers);
    }

    // Compiles `script` on an empty set; the sentinel must survive and no
    // planted folder may appear.
    void compileSafely(const std::string& script) {
        fs::current_path(dir_);
        EXPECT_EQ(ScriptScan::foreignStatements(readFile(dir_ / script)), std::vector<std::string>{})
            << readFile(dir_ / script);
        std::error_code ignored;
        fs::remove(dir_ / (fs::path(script).stem().string() + ".buf"), ignored);
        run("#kableewy;#encode " + script);
        fs::current_path(dir_);
        EXPECT_EQ(readFile(dir_ / "sentinel.txt"), "still here") << readFile(dir_ / script);
        EXPECT_FALSE(fs::exists(dir_ / "planted"));
    }
};

TEST_F(DecompileSafety, CommentLinesStayCommentLines) {
    put(0, "start", 3, bytes({0x01, 0x05}));
    buffers().setBuffer(16, std::string("made by me\r\n#del sentinel.txt\n#mkdir planted\r;#del sentinel.txt\r\n") +
                                std::string("\0\x1B[2J", 5));
    run("#kapoke evil.buf;#kableewy;#decode evil.buf");
    ASSERT_EQ(errors(), 0);
    const std::string script = readFile(dir_ / "evil.ksc");
    EXPECT_EQ(script.substr(0, script.find("#ORG")),
              "//made by me\r\n//#del sentinel.txt\r\n//#mkdir planted\r\n//;#del sentinel.txt\r\n//\\x00\\x1B[2J\r\n");
    compileSafely("evil.ksc");
    EXPECT_EQ(errors(), 0);
    // Each comment line comes back as a line of the comment.
    EXPECT_EQ(buffers().buffer(16),
              "made by me\r\n#del sentinel.txt\r\n#mkdir planted\r\n;#del sentinel.txt\r\n"
              "\\x00\\x1B[2J\r\n");
}

TEST_F(DecompileSafety, AnOrdinaryCommentKeepsItsForm) {
    put(0, "start", 3, bytes({0x01, 0x05}));
    buffers().setBuffer(16, "round trip\r\n");
    run("#kapoke plain.buf;#kableewy;#decode plain.buf");
    ASSERT_EQ(errors(), 0);
    EXPECT_EQ(readFile(dir_ / "plain.ksc").substr(0, 23), "//round trip\r\n\r\n#ORG st");
}

TEST_F(DecompileSafety, LabelNamesThatCannotStandInALineRefuseTheFile) {
    for (const std::string name : {"x\r\n#del sentinel.txt", "x;#del sentinel.txt", "x #mkdir planted"}) {
        SCOPED_TRACE(name);
        const std::string file = stringField("Kestrel") + stringField("c") + emptyGroups(1) + bytes({1, 0}) +
                                 record(0, 0, 3, name) + emptyGroups(15) + bytes({0}) +
                                 stringField(bytes({0x01, 0x05}));
        write("evil.buf", file);
        fs::remove(dir_ / "evil.ksc");
        const int before = errors();
        run("#kableewy;#decode evil.buf");
        EXPECT_EQ(errors(), before + 1);
        // The label record starts at 0x14; its name field at 0x1B.
        EXPECT_TRUE(logged("evil.buf:0x1B: label name")) << console.lines.back();
        EXPECT_FALSE(fs::exists(dir_ / "evil.ksc"));
        EXPECT_EQ(buffers().count(0), 0);
    }
    EXPECT_EQ(readFile(dir_ / "sentinel.txt"), "still here");
}

TEST_F(DecompileSafety, NamesThatWouldReadBackAsOthersAreRefusedBeforeAnythingIsWritten) {
    // In memory (no file to refuse them): "#" and "0x" read as hexadecimal
    // prefixes, a leading "=" as a text.
    for (const std::string name : {"a#b", "f0x1", "=planted"}) {
        SCOPED_TRACE(name);
        run("#kableewy");
        put(0, name, 3, bytes({0x01, 0x05}));
        const std::string before = buffers().buffer(16);
        const int errorsBefore = errors();
        run("#kascript");
        EXPECT_EQ(errors(), errorsBefore + 1);
        EXPECT_TRUE(logged("label name '" + name + "'"));
        EXPECT_EQ(buffers().buffer(16), before);
    }
}

TEST_F(DecompileSafety, PointerNamesFromTheFileAreRefused) {
    // "goto" (05) and a pointer field at byte 1 named with a planted line.
    for (const std::string name : {"x\r\n#del sentinel.txt", "x;#del sentinel.txt", "x'y"}) {
        SCOPED_TRACE(name);
        const std::string file = stringField("Kestrel") + stringField("c") + bytes({1, 0}) + record(0, 1, 3, name) +
                                 bytes({1, 0}) + record(0, 0, 3, "start") + emptyGroups(15) + bytes({0}) +
                                 stringField(std::string("\x05!PTR", 5));
        write("evil.buf", file);
        fs::remove(dir_ / "evil.ksc");
        const int before = errors();
        run("#kableewy;#decode evil.buf");
        EXPECT_EQ(errors(), before + 1);
        // The pointer record starts at 0x12; its name field at 0x19.
        EXPECT_TRUE(logged("evil.buf:0x19: pointer name")) << console.lines.back();
        EXPECT_FALSE(fs::exists(dir_ / "evil.ksc"));
    }
    // The same file with an honest name decompiles with the name in place.
    const std::string file = stringField("Kestrel") + stringField("c") + bytes({1, 0}) + record(0, 1, 3, "start") +
                             bytes({1, 0}) + record(0, 0, 3, "start") + emptyGroups(15) + bytes({0}) +
                             stringField(std::string("\x05!PTR", 5));
    write("honest.buf", file);
    run("#kableewy;#decode honest.buf");
    EXPECT_NE(readFile(dir_ / "honest.ksc").find("\r\ngoto start"), std::string::npos) << readFile(dir_ / "honest.ksc");
}

TEST_F(DecompileSafety, TextBytesThatEndALineAreWrittenInHexForm) {
    // A codeset whose table gives line breaks, ";" and "#" characters.
    wren::IHandleLetters& letters = *shared->gLetters;
    for (const auto& [character, code] : std::vector<std::pair<std::string, std::string>>{
             {"\n", "&h0A"}, {"\r", "&h0D"}, {";", "&h3B"}, {"#", "&h3C"}}) {
        std::string value = character;
        std::string number = code;
        letters.add(value, number, "text");
    }
    const std::string planted = letters.encode("A\n#DEL SENTINEL.TXT\r#MKDIR PLANTED;#DEL SENTINEL.TXT");
    ASSERT_EQ(letters.bError(), 0) << letters.sLog();
    put(0, "talk", 8, planted);
    run("#kapoke evil.buf;#kableewy;#decode evil.buf");
    ASSERT_EQ(errors(), 0);
    const std::string script = readFile(dir_ / "evil.ksc");
    EXPECT_NE(script.find("=A@x0A#DEL SENTINEL.TXT@x0D#MKDIR PLANTED@x3B#DEL SENTINEL.TXT\r\n"), std::string::npos)
        << script;
    compileSafely("evil.ksc");
    EXPECT_EQ(errors(), 0);
    EXPECT_EQ(buffers().buffer(0), planted);
}

TEST_F(DecompileSafety, TextsComeBackExactlyOrInHexForm) {
    wren::IHandleLetters& letters = *shared->gLetters;
    // Lumen: byte 00 is a blank, 20 "A", 06 "'", FF the finish code.
    auto roundTrip = [&](const std::string& body) {
        const std::string text = ScriptText::text(letters, body + "\xFF");
        EXPECT_EQ(letters.encode(text), body + "\xFF") << text;
        letters.setBError(0);
        letters.setSLog("");
        return text;
    };
    EXPECT_EQ(roundTrip(bytes({0x20, 0x00, 0x21})), "A B");
    // Blanks the tokenizer would merge or drop.
    EXPECT_EQ(roundTrip(bytes({0x20, 0x00, 0x00, 0x21})), "A @x00B");
    EXPECT_EQ(roundTrip(bytes({0x20, 0x00})), "A@x00");
    // A byte the tables do not know.
    EXPECT_EQ(roundTrip(bytes({0x20, 0x7E, 0x21})), "A@x7EB");
}

TEST_F(DecompileSafety, AWrongHeaderIsAnErrorAndWritesNoScript) {
    write("other.buf", stringField("Other") + stringField("c") + emptyGroups(17));
    run("#decode other.buf");
    EXPECT_EQ(errors(), 1);
    EXPECT_TRUE(logged("other.buf:0x0: NOT A Kestrel Buffer file!"));
    EXPECT_FALSE(fs::exists(dir_ / "other.ksc"));
}

TEST_F(DecompileSafety, BadPositionsAndCountsWriteNoScript) {
    const std::string head = stringField("Kestrel") + stringField("c");
    const std::string data = bytes({0}) + stringField(bytes({0x01, 0x05}));
    const std::pair<std::string, std::string> files[] = {
        {"pointer.buf", head + bytes({1, 0}) + record(0, 9, 3, "p") + emptyGroups(16) + data},
        {"label.buf", head + emptyGroups(1) + bytes({1, 0}) + record(0, 7, 3, "l") + emptyGroups(15) + data},
        {"count.buf", head + bytes({0xFF, 0xFF})},
        {"garbage.buf", head + emptyGroups(17) + data + bytes({3, 8})},
    };
    int expected = errors();
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        write(name, bytes);
        run("#kableewy;#decode " + name);
        EXPECT_EQ(errors(), ++expected);
        EXPECT_TRUE(logged(name + ":0x"));
        EXPECT_FALSE(fs::exists(dir_ / (name.substr(0, name.size() - 4) + ".ksc")));
    }
}

TEST_F(DecompileSafety, RawDecodeTreatsALoadedCommentAsComment) {
    put(0, "start", 3, bytes({0x01, 0x05}));
    buffers().setBuffer(16, "x\r\n#del sentinel.txt\r\n");
    run("#kapoke evil.buf;#kableewy");
    // wait 5; end at offset 1 of the image.
    write("img.bin", bytes({0x00, 0x01, 0x05, 0x00}));
    run("#kapeek evil.buf;#rawdecode img.bin 0x1 3");
    ASSERT_EQ(errors(), 0);
    const std::string script = readFile(dir_ / "img1.ksc");
    EXPECT_EQ(script.substr(0, 26), "//x\r\n//#del sentinel.txt\r\n") << script;
    compileSafely("img1.ksc");
}

TEST_F(DecompileSafety, RawDecodeAppendsToTheDecompilersOwnScript) {
    put(0, "start", 3, bytes({0x01, 0x05}));
    write("img.bin", bytes({0x00, 0x01, 0x07, 0x00}));
    run("#kascript;#rawdecode img.bin 0x1 3");
    ASSERT_EQ(errors(), 0);
    const std::string script = readFile(dir_ / "img1.ksc");
    EXPECT_EQ(script.substr(0, 19), "//\r\n#ORG start 0\r\nw") << script;
    EXPECT_NE(script.find("#ORG 0x1\r\nwait &h07"), std::string::npos) << script;
}

}  // namespace kestrel::test
