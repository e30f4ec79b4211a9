// The compile-decompile-compile check: the bundled examples hold, a
// command the decoder cannot restore is named with both byte runs, and no
// file is left beside the script or in the temporary folder.
#include "EngineFixture.h"

#include <set>

#include "engine/RoundTrip.h"

namespace kestrel::test {

namespace {

namespace fs = std::filesystem;

std::set<std::string> entries(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

std::set<std::string> scratchFolders() {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::temp_directory_path()))
        if (entry.path().filename().string().rfind("kestrel-verify-", 0) == 0) names.insert(entry.path().string());
    return names;
}

}  // namespace

class VerifyTest : public EngineTest {
protected:
    bool verify(const std::string& codeset, const std::string& script) {
        shared.reset();
        fs::current_path(dir_);
        console.lines.clear();
        console.diagnostics.clear();
        shared = std::make_unique<Shared>(*platform, &console);
        return RoundTrip(*shared).verify(codeset, script);
    }
    std::string diagnostics() const {
        std::string out;
        for (const auto& line : console.diagnostics) out += line + "\n";
        return out;
    }
};

TEST_F(VerifyTest, TheBundledExamplesHoldAndLeaveNothingBehind) {
    copyCodesets();
    fs::create_directory(dir_ / "examples");
    for (const char* name : {"labels", "pointers", "text", "raw"})
        fs::copy_file(repository() / "examples" / (std::string(name) + ".ksc"),
                      dir_ / "examples" / (std::string(name) + ".ksc"));
    const auto before = entries(dir_ / "examples");
    const auto scratch = scratchFolders();
    for (const char* name : {"labels", "pointers", "text", "raw"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(verify("lumen", std::string("examples/") + name + ".ksc")) << diagnostics();
        EXPECT_TRUE(logged("round trip holds"));
        EXPECT_EQ(fs::current_path(), dir_);
    }
    EXPECT_EQ(entries(dir_ / "examples"), before);
    EXPECT_EQ(scratchFolders(), scratch);
}

TEST_F(VerifyTest, ACommandTheDecoderCannotRestoreIsNamedWithBothByteRuns) {
    // Two commands share byte 01: the decoder reads every 01 as the first,
    // which takes a word, so "short 3" comes back as "long 3".
    write("base/includes.ksh", "");
    write("clash/includes.ksh",
          "#addcmmd end 0x00\n#addparm 4\n#addcmmd long 0x01\n#addparm 1\n#addcmmd short 0x01\n#addparm 0\n");
    write("s.ksc", "#org fine\nlong 3\nend\n#org broken\nshort 3\n#org after\nshort 4\n");
    const auto before = entries(dir_);
    EXPECT_FALSE(verify("clash", "s.ksc"));
    EXPECT_FALSE(logged("round trip holds"));
    EXPECT_EQ(errors(), 1);
    EXPECT_EQ(diagnostics(),
              "s.ksc: label 'broken' (buffer 0) differs after the round trip\n"
              "  compiled:   01 03\n"
              "  recompiled: 01 03 00\n");
    EXPECT_EQ(entries(dir_), before);
}

TEST_F(VerifyTest, AScriptThatDoesNotCompileHasNoRoundTrip) {
    copyCodesets();
    write("bad.ksc", "#org start\nnosuch 1\n");
    EXPECT_FALSE(verify("lumen", "bad.ksc"));
    EXPECT_NE(diagnostics().find("bad.ksc: the script does not compile; no round trip"), std::string::npos)
        << diagnostics();
    EXPECT_FALSE(verify("lumen", "missing.ksc"));
    EXPECT_NE(diagnostics().find("cannot open script 'missing.ksc'"), std::string::npos);
    EXPECT_FALSE(verify("no such", "bad.ksc"));
}

TEST(RoundTripLabels, ByteRunsAreHexPairsCutAfterTheLimit) {
    EXPECT_EQ(RoundTrip::byteRun(std::string("\x01\xAB\x00", 3)), "01 AB 00");
    EXPECT_EQ(RoundTrip::byteRun(""), "(no bytes)");
    EXPECT_EQ(RoundTrip::byteRun(std::string(5, '\x7F'), 2), "7F 7F ... (5 bytes)");
}

}  // namespace kestrel::test
