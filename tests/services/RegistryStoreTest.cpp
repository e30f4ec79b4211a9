// The per-user registry store: the six operations, the refusals that keep
// roots and foreign keys safe, concurrent writers and a damaged store.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "ServicesFixture.h"
#include "services/RegistryStore.h"

#if defined(_WIN32)
#  include "platform/win32/Win32Platform.h"
using NativePlatform = kestrel::Win32Platform;
#else
#  include "platform/posix/PosixPlatform.h"
using NativePlatform = kestrel::PosixPlatform;
#endif

namespace kestrel::test {
namespace {

class RegistryStoreTest : public ServicesTest {
protected:
    std::string storePath() const { return (root_ / "config" / "kestrel" / "registry.reg").string(); }
    RegistryStore store() { return RegistryStore(*platform_, storePath()); }
    using Names = std::vector<std::string>;
};

TEST_F(RegistryStoreTest, CreatesKeysWithDefaultValuesOnce) {
    RegistryStore reg = store();
    ASSERT_TRUE(reg.CreateNewKey("HKCR\\.ksc", "Lumen.script")) << reg.lastError();
    ASSERT_TRUE(reg.CreateNewKey("HKCR\\.ksc", "Lumen.script"));
    // A root itself is no key that can be listed or changed.
    EXPECT_EQ(reg.EnumRegKeys("HKEY_CLASSES_ROOT\\"), std::nullopt);
    EXPECT_EQ(reg.GetKeyValue("hkcr\\.KSC", ""), "Lumen.script");
    // An empty value only creates the key (and its parents).
    ASSERT_TRUE(reg.CreateNewKey("HKCU\\Software\\Kestrel\\Empty", ""));
    EXPECT_EQ(reg.EnumRegKeys("HKCU\\Software\\Kestrel"), Names{"Empty"});
    EXPECT_EQ(reg.GetKeyValue("HKCU\\Software\\Kestrel\\Empty", ""), std::nullopt);
    EXPECT_EQ(reg.GetKeyValue("HKCR\\.nothing", ""), std::nullopt);
}

TEST_F(RegistryStoreTest, KeyNamesCompareCaselessAndKeepTheirFirstSpelling) {
    RegistryStore reg = store();
    ASSERT_TRUE(reg.CreateNewKey("HKCR\\Demo.Script\\Shell", "x"));
    ASSERT_TRUE(reg.CreateNewKey("HKCR\\demo.script\\shell\\Open", ""));
    EXPECT_EQ(reg.EnumRegKeys("HKCR\\DEMO.SCRIPT"), Names{"Shell"});
    EXPECT_EQ(reg.EnumRegKeys("HKCR\\demo.script\\shell"), Names{"Open"});
}

TEST_F(RegistryStoreTest, SetKeyValueWritesTextAndNumbersOnExistingKeysOnly) {
    RegistryStore reg = store();
    ASSERT_TRUE(reg.CreateNewKey("HKLM\\Software\\K", ""));
    EXPECT_TRUE(reg.SetKeyValue("HKLM\\Software\\K", "count", "258", 4));
    EXPECT_EQ(reg.GetKeyValue("HKLM\\Software\\K", "count"), "258");
    EXPECT_NE(readFile(storePath()).find("\"count\"=dword:00000102"), std::string::npos);
    EXPECT_TRUE(reg.SetKeyValue("HKLM\\Software\\K", "name", "text", 1));
    EXPECT_EQ(reg.EnumRegValues("HKLM\\Software\\K"), (Names{"count", "name"}));
    EXPECT_FALSE(reg.SetKeyValue("HKLM\\Software\\K", "bad", "12abc", 4));
    EXPECT_FALSE(reg.SetKeyValue("HKLM\\Software\\K", "big", "5000000000", 4));
    EXPECT_FALSE(reg.SetKeyValue("HKLM\\Software\\K", "other", "1", 3));
    EXPECT_FALSE(reg.SetKeyValue("HKLM\\Software\\Missing", "name", "x", 1));
    EXPECT_FALSE(reg.lastError().empty());
    EXPECT_EQ(reg.EnumRegValues("HKLM\\Software\\K"), (Names{"count", "name"}));
}

TEST_F(RegistryStoreTest, RootsAndBrokenPathsAreRefusedAndNothingIsWritten) {
    RegistryStore reg = store();
    for (const char* path : {"HKCR", "HKCR\\", "HKEY_USERS\\\\", "HKXX\\a", "", "HKCR\\a\\\\b", "HKCR\\a\nb"}) {
        EXPECT_FALSE(reg.CreateNewKey(path, "v")) << path;
        EXPECT_FALSE(reg.lastError().empty()) << path;
        EXPECT_FALSE(reg.DeleteRegKey(path)) << path;
    }
    EXPECT_FALSE(std::filesystem::exists(storePath()));
}

TEST_F(RegistryStoreTest, DeleteRemovesTheSubtreeAndAnswersFalseWhenNothingWasThere) {
    RegistryStore reg = store();
    ASSERT_TRUE(reg.CreateNewKey("HKCR\\a\\b\\c", "1"));
    ASSERT_TRUE(reg.CreateNewKey("HKCR\\a\\d", "2"));
    EXPECT_TRUE(reg.DeleteRegKey("HKCR\\A\\B\\"));
    EXPECT_EQ(reg.EnumRegKeys("HKCR\\a"), Names{"d"});
    EXPECT_FALSE(reg.DeleteRegKey("HKCR\\a\\b"));
    EXPECT_FALSE(reg.DeleteRegKey("HKCR\\zz\\b"));
    EXPECT_EQ(reg.EnumRegKeys("HKCR\\zz"), std::nullopt);
}

TEST_F(RegistryStoreTest, LongValuesAndEveryByteSurviveTheFile) {
    RegistryStore reg = store();
    std::string value(4000, 'x');
    for (int c = 1; c < 256; ++c) value += static_cast<char>(c);
    value += "\\\"\r\n\\x41";
    ASSERT_TRUE(reg.CreateNewKey("HKCU\\Long", value));
    ASSERT_TRUE(reg.SetKeyValue("HKCU\\Long", "name \"with\" \\ quotes", value, 1));
    RegistryStore again = store();
    EXPECT_EQ(again.GetKeyValue("HKCU\\Long", ""), value);
    EXPECT_EQ(again.GetKeyValue("HKCU\\Long", "NAME \"WITH\" \\ QUOTES"), value);
    for (const char* text : {"", "plain", "a\\b", "\"", "\x01\x1F\x7F", "\\x4", "tab\there"})
        EXPECT_EQ(RegistryStore::unescape(RegistryStore::escape(text)), text);
    EXPECT_EQ(RegistryStore::unescape("bad\\q"), std::nullopt);
    EXPECT_EQ(RegistryStore::unescape("end\\"), std::nullopt);
    EXPECT_EQ(RegistryStore::unescape("\\xZ1"), std::nullopt);
}

TEST_F(RegistryStoreTest, ADamagedStoreIsNeverRewritten) {
    std::filesystem::create_directories(std::filesystem::path(storePath()).parent_path());
    for (const char* damaged : {"REGEDIT4\n\n[HKCR\\a]\n@=unquoted\n", "not a store\n",
                                "REGEDIT4\n@=\"value before key\"\n", "REGEDIT4\n[HKZZ\\a]\n",
                                "REGEDIT4\n[HKCR\\a]\n\"x\"=dword:123456789\n", "REGEDIT4\n[HKCR\\a]\n@=\"\\q\"\n"}) {
        writeFile(storePath(), damaged);
        RegistryStore reg = store();
        EXPECT_FALSE(reg.CreateNewKey("HKCR\\b", "v")) << damaged;
        EXPECT_FALSE(reg.DeleteRegKey("HKCR\\a")) << damaged;
        EXPECT_NE(reg.lastError().find("registry.reg:"), std::string::npos) << reg.lastError();
        EXPECT_EQ(reg.GetKeyValue("HKCR\\a", ""), std::nullopt);
        EXPECT_EQ(readFile(storePath()), damaged);
    }
}

TEST_F(RegistryStoreTest, TheStoreIsPrivate) {
#if defined(_WIN32)
    GTEST_SKIP() << "no POSIX modes";
#else
    RegistryStore reg = store();
    ASSERT_TRUE(reg.CreateNewKey("HKCR\\a", "v"));
    namespace fs = std::filesystem;
    EXPECT_EQ(fs::status(storePath()).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(fs::path(storePath()).parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);
#endif
}

TEST_F(RegistryStoreTest, WritersAtTheSameTimeLoseNothing) {
    NativePlatform native;
    constexpr int kWriters = 4;
    constexpr int kKeys = 20;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([&, w] {
            RegistryStore reg(native, storePath());
            for (int k = 0; k < kKeys; ++k)
                EXPECT_TRUE(reg.CreateNewKey("HKCU\\W" + std::to_string(w) + "\\K" + std::to_string(k), "v"));
        });
    for (auto& writer : writers) writer.join();
    RegistryStore reg(native, storePath());
    for (int w = 0; w < kWriters; ++w) {
        auto keys = reg.EnumRegKeys("HKCU\\W" + std::to_string(w));
        ASSERT_TRUE(keys.has_value());
        EXPECT_EQ(keys->size(), static_cast<std::size_t>(kKeys));
    }
}

TEST_F(RegistryStoreTest, FileHandleAnswersInTheClassicShapes) {
    platform_->registryPath = storePath();
    ASSERT_TRUE(files_->CreateNewKey("HKCR\\x\\a", ""));
    ASSERT_TRUE(files_->CreateNewKey("HKCR\\x\\b", "B"));
    EXPECT_EQ(files_->EnumRegKeys("HKCR\\x"), std::string("a\0b\0", 4));
    EXPECT_EQ(files_->EnumRegValues("HKCR\\x\\b"), std::string("\0", 1));
    EXPECT_EQ(files_->GetKeyValue("HKCR\\x\\b"), "B");
    EXPECT_EQ(files_->GetKeyValue("HKCR\\x\\none"), "");
    EXPECT_FALSE(files_->DeleteRegKey("HKCR\\x\\none"));
    EXPECT_TRUE(files_->DeleteRegKey("HKCR\\x"));
}

}  // namespace
}  // namespace kestrel::test
