// register / regext: the keys, verbs and command lines written into the
// registry store, names that are refused before anything is written, the
// "?" form, registrations that end with their script, and --unregister.
#include <gtest/gtest.h>

#include <filesystem>

#include "EngineFixture.h"
#include "engine/Registration.h"
#include "platform/FileTypeSet.h"
#include "services/RegistryStore.h"

namespace kestrel::test {
namespace {

// Remembers what the desktop was told instead of writing freedesktop files.
class RecordingDesktop : public FakePlatform {
public:
    using FakePlatform::FakePlatform;
    std::vector<FileTypeSet> published;
    std::vector<std::string> withdrawn;
    std::vector<std::string> publishFileTypes(const FileTypeSet& types) override {
        published.push_back(types);
        return {};
    }
    std::vector<std::string> withdrawFileTypes(const std::string& codeset) override {
        withdrawn.push_back(codeset);
        return {};
    }
};

class RegistrationTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        shared.reset();
        auto desktop = std::make_unique<RecordingDesktop>(dir_.string());
        desktop_ = desktop.get();
        platform = std::move(desktop);
        platform->registryPath = (dir_ / "config" / "registry.reg").string();
        exe_ = (dir_ / "My Tools's" / "kestrel").string();
        platform->executable = exe_;
        shared = std::make_unique<Shared>(*platform, &console);
    }
    RegistryStore& store() { return shared->gFiles->registry(); }
    std::string value(const std::string& path) { return store().GetKeyValue(path, "").value_or("<none>"); }
    bool storeExists() const { return std::filesystem::exists(platform->registryPath); }
    int registeredLines() const {
        int count = 0;
        for (const auto& line : console.lines) count += line.rfind("REGISTERED ", 0) == 0;
        return count;
    }
    std::string command(const std::string& verb, const std::string& codeset = "demo") const {
        return "\"" + exe_ + "\" #boot " + codeset + ";#" + verb + " \"%1\"";
    }

    RecordingDesktop* desktop_ = nullptr;
    std::string exe_;
};

TEST_F(RegistrationTest, ThreeKindsWriteTheirClassesVerbsAndExtensions) {
    run("#register demo as Demo");
    run("#regext .dsrc as source");
    run("#regext .dsc script");
    run("#regext .dbuf as buffer");
    EXPECT_FALSE(storeExists()) << "nothing is written before the next directive";
    run("#do");
    EXPECT_EQ(errors(), 0);
    EXPECT_EQ(registeredLines(), 3);
    EXPECT_TRUE(logged("REGISTERED .dsc as Demo"));

    EXPECT_EQ(value("HKCR\\.dsrc"), "Demo.source");
    EXPECT_EQ(value("HKCR\\Demo.source"), "Demo source");
    EXPECT_EQ(value("HKCR\\Demo.source\\shell\\decompiledemo"), "Decompile");
    EXPECT_EQ(value("HKCR\\Demo.source\\shell\\decompiledemo\\command"), command("rawdecode"));

    EXPECT_EQ(value("HKCR\\.dsc"), "Demo.script");
    EXPECT_EQ(value("HKCR\\Demo.script"), "Demo script");
    EXPECT_EQ(value("HKCR\\Demo.script\\shell\\open\\command"), "notepad.exe \"%1\"");
    EXPECT_EQ(value("HKCR\\Demo.script\\shell\\compile"), "Compile Script");
    EXPECT_EQ(value("HKCR\\Demo.script\\shell\\compile\\command"), command("encode"));

    EXPECT_EQ(value("HKCR\\.dbuf"), "Kestrel.buffer");
    EXPECT_EQ(value("HKCR\\Kestrel.buffer"), "Kestrel Buffer");
    EXPECT_EQ(value("HKCR\\Kestrel.buffer\\shell\\decompile.Demo"), "Decompile Demo");
    EXPECT_EQ(value("HKCR\\Kestrel.buffer\\shell\\decompile.Demo\\command"), command("decode"));
    const std::string plover = (std::filesystem::path(exe_).parent_path() / "plover").string();
    EXPECT_EQ(value("HKCR\\Kestrel.buffer\\shell\\open\\command"), "\"" + plover + "\" \"%1\"");

    // The desktop hears of the codeset's verbs as argument vectors.
    ASSERT_EQ(desktop_->published.size(), 1u);
    const FileTypeSet& set = desktop_->published[0];
    EXPECT_EQ(set.codeset, "demo");
    ASSERT_EQ(set.types.size(), 3u);
    const auto& script = set.types[1];
    EXPECT_EQ(script.kind, FileTypeSet::Kind::script);
    EXPECT_EQ(script.globs, std::vector<std::string>{"*.dsc"});
    ASSERT_EQ(script.verbs.size(), 1u) << "open stays with the desktop's text editor";
    EXPECT_EQ(script.verbs[0].argv, (std::vector<std::string>{exe_, "--file", "%f", "#boot demo;#encode"}));
    EXPECT_EQ(set.types[2].opener, (std::vector<std::string>{plover, "%f"}));
}

TEST_F(RegistrationTest, MissingNamesFallBackToTheCodesetAndToKestrel) {
    run("#register lumen");
    run("#regext .lsc script");
    run("#register");
    run("#regext .ksx header");
    run("#do");
    EXPECT_EQ(errors(), 0);
    EXPECT_EQ(value("HKCR\\.lsc"), "lumen.script");
    EXPECT_EQ(value("HKCR\\lumen.script\\shell\\compile\\command"), command("encode", "lumen"));
    EXPECT_EQ(value("HKCR\\.ksx"), "kestrel.header");
}

TEST_F(RegistrationTest, NamesThatWouldLeaveTheirKeysAreRefusedWithNothingWritten) {
    for (const char* lines :
         {"#register demo De\\mo|#regext .dsc script", "#register de%mo|#regext .dsc script",
          "#register demo|#regext exefile script", "#register demo|#regext * script", "#register demo|#regext . script",
          "#register demo|#regext .a\\b script", "#register demo|#regext .a;b script"}) {
        std::string text = lines;
        const std::size_t bar = text.find('|');
        run(text.substr(0, bar));
        run(text.substr(bar + 1));
        run("#do");
        EXPECT_FALSE(storeExists()) << lines;
        EXPECT_EQ(registeredLines(), 0) << lines;
    }
    EXPECT_GE(errors(), 7);
}

TEST_F(RegistrationTest, AProgramPathThatNoCommandLineCanCarryWritesNothing) {
    platform->executable = (dir_ / "odd\"dir" / "kestrel").string();
    run("#register demo");
    run("#regext .dsc script");
    run("#do");
    EXPECT_EQ(errors(), 1);
    EXPECT_FALSE(storeExists());
    EXPECT_EQ(registeredLines(), 0);
}

TEST_F(RegistrationTest, AnUnknownKindIsAnErrorAtItsLineAndTheRestIsWritten) {
    run("#register demo");
    run("#regext .dq as picture");
    run("#regext .dsc script");
    run("#do");
    EXPECT_EQ(errors(), 1);
    EXPECT_TRUE(logged("unknown extension kind 'picture'"));
    EXPECT_EQ(registeredLines(), 1);
    EXPECT_EQ(value("HKCR\\.dq"), "<none>");
}

TEST_F(RegistrationTest, TheQuestionFormAddsVerbsToTheExistingClassOnly) {
    ASSERT_TRUE(store().CreateNewKey("HKCR\\.txt", "txtfile"));
    ASSERT_TRUE(store().CreateNewKey("HKCR\\txtfile", "Text Document"));
    ASSERT_TRUE(store().CreateNewKey("HKCR\\txtfile\\shell\\open\\command", "myeditor \"%1\""));
    run("#register demo ? Demo");
    run("#regext .txt script");
    run("#regext .new script");
    run("#do");
    EXPECT_EQ(errors(), 0);
    EXPECT_EQ(value("HKCR\\.txt"), "txtfile");
    EXPECT_EQ(value("HKCR\\txtfile"), "Text Document");
    EXPECT_EQ(value("HKCR\\txtfile\\shell\\open\\command"), "myeditor \"%1\"");
    EXPECT_EQ(value("HKCR\\txtfile\\shell\\compile\\command"), command("encode"));
    // An extension without a class gets the usual one.
    EXPECT_EQ(value("HKCR\\.new"), "Demo.script");

    ASSERT_TRUE(shared->gEngine->registration().unregister("demo"));
    EXPECT_EQ(value("HKCR\\txtfile\\shell\\open\\command"), "myeditor \"%1\"");
    EXPECT_EQ(store().EnumRegKeys("HKCR\\txtfile\\shell"), std::vector<std::string>{"open"});
    EXPECT_EQ(value("HKCR\\.new"), "<none>");
}

TEST_F(RegistrationTest, ARegistrationOpenAtTheEndOfAScriptOrCommandLineIsWritten) {
    write("pack/install.ksc", "#register pack\n#regext .pk script\n");
    run("#install pack");
    EXPECT_EQ(value("HKCR\\.pk"), "pack.script");
    run("#register line;#regext .ln script");
    EXPECT_EQ(value("HKCR\\.ln"), "<none>");
    shared->gEngine->finishRegistration();
    EXPECT_EQ(value("HKCR\\.ln"), "line.script");
    EXPECT_EQ(errors(), 0);
}

TEST_F(RegistrationTest, UnregisterRemovesWhatTheRegistrationWroteAndKeepsTheRest) {
    ASSERT_TRUE(store().CreateNewKey("HKCR\\.foreign", "foreign.class"));
    run("#register demo as Demo;#regext .dsrc source;#regext .dsc script;#regext .dbuf buffer");
    run("#register other;#regext .obuf buffer;#do");
    ASSERT_EQ(errors(), 0);
    Registration& registration = shared->gEngine->registration();
    EXPECT_TRUE(registration.unregister("demo"));
    EXPECT_EQ(desktop_->withdrawn, std::vector<std::string>{"demo"});
    for (const char* gone : {"HKCR\\.dsrc", "HKCR\\.dsc", "HKCR\\.dbuf", "HKCR\\Demo.source", "HKCR\\Demo.script",
                             "HKCR\\Kestrel.buffer\\shell\\decompile.Demo"})
        EXPECT_EQ(store().EnumRegKeys(gone), std::nullopt) << gone;
    EXPECT_EQ(value("HKCR\\.obuf"), "Kestrel.buffer") << "another codeset still uses the buffer class";
    EXPECT_EQ(value("HKCR\\.foreign"), "foreign.class");
    EXPECT_FALSE(registration.unregister("demo"));
    EXPECT_TRUE(registration.unregister("other"));
    EXPECT_EQ(store().EnumRegKeys("HKCR\\Kestrel.buffer"), std::nullopt);
}

TEST(RegistrationCommands, StoredCommandLinesBecomeArgumentVectors) {
    EXPECT_EQ(Registration::commandWords("\"/a b/kestrel\" #boot x;#encode \"%1\""),
              (std::vector<std::string>{"/a b/kestrel", "#boot", "x;#encode", "%1"}));
    EXPECT_EQ(Registration::desktopArguments("\"/a b/kestrel\" #boot x;#encode \"%1\""),
              (std::vector<std::string>{"/a b/kestrel", "--file", "%f", "#boot x;#encode"}));
    EXPECT_EQ(Registration::desktopArguments("\"/p/plover\" \"%1\""), (std::vector<std::string>{"/p/plover", "%f"}));
    EXPECT_EQ(Registration::commandWords("  \"\"  a  "), (std::vector<std::string>{"", "a"}));
}

}  // namespace
}  // namespace kestrel::test
