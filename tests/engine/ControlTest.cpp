#include "EngineFixture.h"

#include <algorithm>

#include "buffers/BurnPlan.h"
#include "text/KestrelError.h"

namespace kestrel::test {

namespace {

// A small codeset: a byte command, a pointer command and a word command.
const char* kHeader =
    "#addcmmd wait 0x01\n#addparm 0\n"
    "#addcmmd goto 0x05\n#addparm 3\n"
    "#addcmmd flag 0x02\n#addparm 1\n"
    "#addtext A 0x20\n#addtext B 0x21\n#addctrl ~ finish\n#addtext ~ 0xFF\n#do\n";

}  // namespace

class ControlTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        write("base/includes.ksh", "' shared\n");
        write("demo/includes.ksh", kHeader);
        run("#boot demo");
        ASSERT_EQ(errors(), 0);
    }
};

TEST_F(ControlTest, EveryStatementOfALineGoesToTheLineBuffer) {
    run("#org first 2; wait 1; wait 2");
    run("wait 3");
    EXPECT_EQ(buffers().buffer(2), bytes({1, 1, 1, 2, 1, 3}));
    EXPECT_EQ(buffers().buffer(0), "");
    EXPECT_EQ(buffers().labels(2).count(), 1);
}

TEST_F(ControlTest, InlineBufferLastsOneLine) {
    run("$tune 3; wait 7; wait 8");
    run("wait 9");
    EXPECT_EQ(buffers().buffer(3), bytes({1, 7, 1, 8}));
    EXPECT_EQ(buffers().buffer(0), bytes({1, 9}));
}

TEST_F(ControlTest, UnknownCommandAddsNothingAndCountsAnError) {
    run("bogus 1 2");
    EXPECT_EQ(buffers().buffer(0), "");
    EXPECT_EQ(errors(), 1);
    EXPECT_TRUE(logged("Invalid Command : bogus"));
}

TEST_F(ControlTest, UnknownLetterDirectiveAddsNothing) {
    run("#frobnicate 1 2");
    EXPECT_EQ(buffers().buffer(0), "");
    EXPECT_EQ(errors(), 1);
    EXPECT_TRUE(logged("not implimented"));
}

TEST_F(ControlTest, RawHexWordsFillTheBytesTheirDigitsNeed) {
    run("#04030201 0x05 0x0B0A 7");
    EXPECT_EQ(buffers().buffer(0), bytes({1, 2, 3, 4, 5, 0x0A, 0x0B, 7}));
    run("#0xCD");
    EXPECT_EQ(buffers().buffer(0).back(), static_cast<char>(0xCD));
    EXPECT_EQ(errors(), 0);
}

TEST_F(ControlTest, TextLinesEncodeThroughTheCharacterTable) {
    run("=AB");
    EXPECT_EQ(buffers().buffer(0), bytes({0x20, 0x21, 0xFF}));
    EXPECT_TRUE(logged(": Encoding text: AB"));
}

TEST_F(ControlTest, CommentsAndBlocks) {
    shared->gEngine->switches().fEcho = true;
    run("' a remark");
    EXPECT_TRUE(logged(" a remark"));
    run("/ open");
    run("wait 1");
    run("still inside /");
    run("wait 2");
    EXPECT_EQ(buffers().buffer(0), bytes({1, 2}));
    run("//Title line");
    EXPECT_EQ(buffers().buffer(16), "Title line\r\n");
}

TEST_F(ControlTest, ErrorsNameFileAndPhysicalLine) {
    write("pack/install.ksc", "wait 1\n\nwait 300000000000\nwait 2\n");
    run("#install pack");
    EXPECT_EQ(errors(), 1);
    EXPECT_TRUE(logged("install.ksc:3: "));
    EXPECT_EQ(buffers().buffer(0), bytes({1, 1, 1, 2}));
}

TEST_F(ControlTest, MissingIncludeIsAnError) {
    write("main.ksc", "#include nowhere.ksh\n");
    write("pack/install.ksc", "#include nowhere.ksh\nwait 1\n");
    run("#install pack");
    EXPECT_EQ(errors(), 1);
    EXPECT_TRUE(logged("nowhere.ksh"));
    EXPECT_EQ(buffers().buffer(0), bytes({1, 1}));
}

TEST_F(ControlTest, BadStatementIsReportedAndTheLineGoesOn) {
    write("pack/install.ksc", "wait 1\n#org x 99\nwait 2\n");
    run("#install pack");
    EXPECT_EQ(errors(), 1);
    EXPECT_TRUE(logged("install.ksc:2: "));
    EXPECT_EQ(buffers().buffer(0), bytes({1, 1, 1, 2}));
}

TEST_F(ControlTest, ErrorsAreDiagnosticsAndOtherLinesAreNot) {
    write("pack/install.ksc", "wait 1\n#fulllog off\ngto 2\n");
    run("#install pack");
    ASSERT_EQ(console.diagnostics.size(), 1u);
    EXPECT_NE(console.diagnostics[0].find("install.ksc:3: unknown command 'gto'"), std::string::npos)
        << console.diagnostics[0];
    // The console without a channel of its own still shows the error once.
    EXPECT_EQ(std::count(console.lines.begin(), console.lines.end(), console.diagnostics[0]), 1);
    run("#silent on");
    run("gto 3");
    EXPECT_EQ(console.diagnostics.size(), 2u) << "a hidden console still gets diagnostics";
    EXPECT_EQ(std::count(console.lines.begin(), console.lines.end(), console.diagnostics[1]), 0);
}

TEST_F(ControlTest, ExitAndKapowEndTheProgram) {
    try {
        run("#exit");
        FAIL() << "exit did not end the program";
    } catch (const ProgramExit& exit) {
        EXPECT_EQ(exit.status, 0);
    }
    try {
        run("#kapow");
        FAIL() << "kapow did not end the program";
    } catch (const ProgramExit& exit) {
        EXPECT_EQ(exit.status, 2);
    }
    EXPECT_EQ(platform->boxes.back(), "CRITICAL ERROR|User Caused Crash: line 0");
}

TEST_F(ControlTest, PointersPatchTheirOwnBuffer) {
    run("#org start 1; goto start");
    ASSERT_EQ(buffers().count(16), 1);
    buffers().get_Point(1, 16);
    EXPECT_EQ(buffers().inoffsett(), 100001);
}

TEST_F(ControlTest, BootSameCodesetDoesNothingCodesetReloads) {
    run("wait 1");
    run("#boot demo");
    EXPECT_EQ(buffers().buffer(0), bytes({1, 1}));
    run("#codeset demo");
    EXPECT_EQ(buffers().buffer(0), bytes({1, 1}));
    run("#kableewy");
    EXPECT_EQ(buffers().buffer(0), "");
    EXPECT_TRUE(logged(" - Buffer Blown -"));
}

TEST_F(ControlTest, SwitchesLogTheirValues) {
    run("#fulllog on");
    EXPECT_TRUE(logged(": fulllog True"));
    run("#autobank");
    EXPECT_TRUE(logged(": Autobank True"));
    run("#autobank off");
    EXPECT_TRUE(logged(": Autobank False"));
    run("#autobank on");
}

// The switch belongs to the engine's shared objects: a second engine starts
// with its own (on), and neither a new engine nor `boot` changes the first's.
TEST_F(ControlTest, TwoEnginesKeepTheirOwnAutobank) {
    auto pointerValue = [](Shared& engine) {
        engine.gEngine->pending("#kapush start 256");
        engine.gEngine->pending("#org start; goto start");
        const BurnPlan plan = engine.gBuffers->planBurn();
        return plan.pointers.empty() ? 0 : plan.pointers.front().value;
    };
    run("#autobank off");
    RecordingConsole otherConsole;
    Shared other(*platform, &otherConsole);
    other.gEngine->pending("#boot demo");
    EXPECT_TRUE(other.autobank.on());
    EXPECT_FALSE(shared->autobank.on()) << "a second engine leaves the first's switch alone";
    EXPECT_EQ(pointerValue(other), 0x08000100);
    EXPECT_EQ(pointerValue(*shared), 0x100);

    other.gEngine->pending("#autobank off");
    run("#autobank on");
    run("#boot base");
    EXPECT_TRUE(shared->autobank.on()) << "boot keeps the switch";
    EXPECT_FALSE(other.autobank.on());
}

TEST_F(ControlTest, WarningsNameFileAndLineAndLeaveTheStatusAlone) {
    write("pack/install.ksc", "wait 1\nwait 256\nflag 65536\n");
    run("#install pack");
    EXPECT_EQ(errors(), 0);
    EXPECT_EQ(shared->gEngine->warningCount(), 2);
    EXPECT_TRUE(
        logged("install.ksc:2: warning: '256' does not fit parameter 1 of 'wait' (a byte field); written as 10"));
    EXPECT_TRUE(logged("install.ksc:3: warning: '65536' does not fit"));
    EXPECT_EQ(buffers().buffer(0), bytes({1, 1, 1, 0x10, 2, 0x00, 0x10}));
    EXPECT_EQ(shared->gEngine->summary(), "2 warnings reported");

    // A statement that fails reports its error, not the warnings of its words.
    run("wait");
    EXPECT_TRUE(logged("<command line>: missing parameter 1 of 'wait'"));
    EXPECT_EQ(shared->gEngine->summary(), "1 error, 2 warnings reported");
    shared->gEngine->setInputSource("<stdin>", 4);
    run("wait 300");
    EXPECT_TRUE(logged("<stdin>:4: warning: '300' does not fit"));
}

TEST_F(ControlTest, SummaryCountsErrorsAndWarnings) {
    EXPECT_EQ(shared->gEngine->summary(), "");
    run("bogus");
    EXPECT_EQ(shared->gEngine->summary(), "1 error reported");
    run("bogus");
    EXPECT_EQ(shared->gEngine->summary(), "2 errors reported");
}

TEST_F(ControlTest, SixteenStatementsFitALineAndMoreAreAnError) {
    std::string line = "wait 0";
    for (int i = 1; i < 16; ++i) line += "; wait " + std::to_string(i);
    run(line);
    EXPECT_EQ(buffers().buffer(0).size(), 32u);
    EXPECT_EQ(errors(), 0);

    run(line + "; wait 16");
    run("#org x; wait 1; wait 2; wait 3; wait 4; wait 5; wait 6; wait 7; wait 8; wait 9; wait 10; wait 11; "
        "wait 12; wait 13; wait 14; wait 15 =AB");
    EXPECT_EQ(errors(), 2);
    EXPECT_TRUE(logged("<command line>: more than 16 statements on one line; the line is not compiled"));
    EXPECT_EQ(buffers().buffer(0).size(), 32u) << "nothing of either line was compiled";
}

TEST_F(ControlTest, SeventeenWordsInOneStatementAreAnError) {
    run("#addcmmd many 0x30");
    for (int i = 0; i < 16; ++i) run("#addparm 0");
    run("#do");
    run("many 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16");
    EXPECT_EQ(errors(), 1);
    EXPECT_TRUE(logged("more than 16 words in one statement"));
    EXPECT_EQ(buffers().buffer(0), "");
}

TEST_F(ControlTest, ScriptLinesEndAtCrLfLfOrALoneCr) {
    write("pack/install.ksc", "wait 1\rwait 2\r\nwait 3\n\rwait\r");
    run("#install pack");
    EXPECT_EQ(buffers().buffer(0), bytes({1, 1, 1, 2, 1, 3}));
    EXPECT_EQ(errors(), 1);
    EXPECT_TRUE(logged("install.ksc:5: missing parameter 1 of 'wait'"));
}

TEST_F(ControlTest, IncludeOutsideAScriptRunsTheFileAtOnce) {
    write("part.ksc", "wait 1\nwait 2\n");
    run("#include part.ksc; wait 9");
    EXPECT_EQ(buffers().buffer(0), bytes({1, 1, 1, 2, 1, 9}));
    EXPECT_EQ(shared->gFiles->fileno(), 1) << "the included file is closed again";

    // Inside a script the running loop reads it after the including line.
    write("pack/install.ksc", "#include part.ksc; wait 8\nwait 7\n");
    run("#kableewy");
    run("#install pack");
    EXPECT_EQ(buffers().buffer(0), bytes({1, 8, 1, 1, 1, 2, 1, 7}));
    EXPECT_EQ(errors(), 0);
}

}  // namespace kestrel::test
