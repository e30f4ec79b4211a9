// Round trips on the bundled examples: a script compiles to the same bytes
// after it has been decompiled, from a buffer file and from an image.
#include "EngineFixture.h"

#include "buffers/OffsetList.h"

namespace kestrel::test {

namespace {

namespace fs = std::filesystem;

// Labels and bytes of a buffer set, as comparable text.
std::string describe(FileBuffer& set) {
    std::string out;
    for (int b = 0; b <= 15; ++b) {
        out += "buffer " + std::to_string(b) + ":";
        for (unsigned char c : set.buffer(b)) out += " " + std::to_string(c);
        out += "\n";
        for (int32_t i = 1; i <= set.count(b); ++i) {
            set.get_Point(i, b);
            out += "  label " + set.inname() + " @" + std::to_string(set.inoffsett()) + " mode " +
                   std::to_string(set.inmode()) + "\n";
        }
    }
    for (int32_t i = 1; i <= set.count(16); ++i) {
        set.get_Point(i, 16);
        out += "pointer " + set.inname() + " @" + std::to_string(set.inoffsett()) + "\n";
    }
    return out;
}

}  // namespace

class RoundTrip : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        copyCodesets();
        for (const char* name : {"labels", "pointers", "text", "raw"})
            fs::copy_file(repository() / "examples" / (std::string(name) + ".ksc"),
                          dir_ / (std::string(name) + ".ksc"));
    }
    // Directives that name files make their folder current: start each run
    // from the scratch folder.
    void restart() {
        shared.reset();
        std::filesystem::current_path(dir_);
        shared = std::make_unique<Shared>(*platform, &console);
    }
    std::string compiled(const std::string& script) {
        restart();
        run("#boot lumen;#encode " + script);
        EXPECT_EQ(errors(), 0) << script;
        return describe(buffers());
    }
};

TEST_F(RoundTrip, DecodedBufferFilesCompileToTheSameLabelsAndBytes) {
    for (const std::string name : {"labels", "pointers", "text", "raw"}) {
        SCOPED_TRACE(name);
        const std::string original = compiled(name + ".ksc");
        fs::create_directory(dir_ / name);
        fs::copy_file(dir_ / (name + ".buf"), dir_ / name / (name + ".buf"));
        restart();
        run("#boot lumen;#decode " + name + "/" + name + ".buf");
        ASSERT_EQ(errors(), 0);
        fs::current_path(dir_);
        platform->yesNoAnswers.push_back(true);  // replace the copied buffer file
        const std::string again = compiled(name + "/" + name + ".ksc");
        EXPECT_EQ(again, original) << readFile(dir_ / name / (name + ".ksc"));
    }
}

TEST_F(RoundTrip, DecompiledImagesCompileToTheSameImage) {
    // The first label of each script sits at 0x100; the rest float behind it.
    // Only what the walk reaches from the first label is decompiled, so
    // these scripts reach every label through pointers.
    const std::pair<std::string, std::string> scripts[] = {{"pointers", "start 3"}, {"text", "talk 3"}};
    for (const auto& [name, first] : scripts) {
        SCOPED_TRACE(name);
        const std::string label = first.substr(0, first.find(' '));
        const std::string mode = first.substr(first.find(' ') + 1);
        write(name + ".bin", std::string(1024, '\0'));
        write(name + "-again.bin", std::string(1024, '\0'));
        restart();
        run("#boot lumen;#encode " + name + ".ksc;#kapush " + label + " 0x100;#kapop " + name + ".bin");
        ASSERT_EQ(errors(), 0);
        restart();
        run("#boot lumen;#rawdecode " + name + ".bin 0x100 " + mode);
        ASSERT_EQ(errors(), 0);
        fs::current_path(dir_);
        const std::string script = name + "100.ksc";
        restart();
        run("#boot lumen;#encode " + script + ";#kapop " + name + "-again.bin");
        ASSERT_EQ(errors(), 0) << readFile(dir_ / script);
        EXPECT_TRUE(readFile(dir_ / (name + "-again.bin")) == readFile(dir_ / (name + ".bin")))
            << readFile(dir_ / script);
    }
}

}  // namespace kestrel::test
