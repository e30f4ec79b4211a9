#include <gtest/gtest.h>

#include <string>

#include "console/Instant.h"
#include "engine/Control.h"
#include "engine/Shared.h"
#include "support/FakePlatform.h"

namespace kestrel::test {
namespace {

// What the console puts on the screen depends on whether a person watches it.
TEST(InstantScreen, BannerAndClearingOnlyAtATerminal) {
    FakePlatform platform;
    Instant console(platform);
    console.banner();
    console.cls();
    EXPECT_EQ(platform.consoleText, "") << "no banner into a pipe or in batch mode";
    EXPECT_EQ(platform.clears, 0) << "no clearing into a pipe or in batch mode";

    platform.terminal = true;
    console.banner();
    EXPECT_EQ(platform.consoleText.rfind("WELCOME TO KESTREL\n", 0), 0u) << platform.consoleText;
    EXPECT_GT(console.textLength(), 0u);
    console.cls();
    EXPECT_EQ(platform.clears, 1);
    EXPECT_EQ(console.textLength(), 0u);
}

TEST(InstantScreen, DiagnosticsGoToTheirOwnStreamEvenWhileHidden) {
    FakePlatform platform;
    Instant console(platform);
    console.diagnostic("a.ksc:3: unknown command 'gto'");
    console.setVisible(false);
    console.diagnostic("a.ksc:4: unknown command 'gto'");
    EXPECT_EQ(platform.diagnostics,
              (std::vector<std::string>{"a.ksc:3: unknown command 'gto'", "a.ksc:4: unknown command 'gto'"}));
    EXPECT_EQ(platform.consoleText, "");
}

// The engine's error lines reach the diagnostic stream alone; its other log
// lines stay on the console.
TEST(InstantScreen, EngineErrorsAreSplitFromTheEcho) {
    FakePlatform platform;
    Instant console(platform);
    Shared shared(platform, &console);
    shared.gEngine->pending("#fulllog on;#include nowhere.ksh");
    EXPECT_NE(platform.consoleText.find("fulllog True"), std::string::npos) << platform.consoleText;
    EXPECT_EQ(platform.consoleText.find("nowhere.ksh"), std::string::npos) << platform.consoleText;
    ASSERT_EQ(platform.diagnostics.size(), 1u);
    EXPECT_NE(platform.diagnostics[0].find("cannot open include file 'nowhere.ksh'"), std::string::npos)
        << platform.diagnostics[0];
    EXPECT_EQ(shared.gEngine->errorCount(), 1);
}

}  // namespace
}  // namespace kestrel::test
