// Names that can stand as one word of a script line and read back as themselves.
#include <gtest/gtest.h>

#include <string>

#include "text/ScriptWord.h"

namespace kestrel {
namespace {

TEST(ScriptWord, NamesOfScriptsPass) {
    for (const std::string name : {"start", "music.loop", "$inline", "a=b", "&h8001234", "x0", "0", "caf\xC3\xA9"})
        EXPECT_EQ(ScriptWord::fault(name), "") << name;
}

TEST(ScriptWord, WhatEndsOrSplitsALineIsUnsafe) {
    EXPECT_EQ(ScriptWord::unsafe("a\nb"), "holds a line break");
    EXPECT_EQ(ScriptWord::unsafe("a\rb"), "holds a line break");
    EXPECT_EQ(ScriptWord::unsafe(std::string("a\0b", 3)), "holds the control byte 0x0");
    EXPECT_EQ(ScriptWord::unsafe("a\x7F"), "holds the control byte 0x7F");
    EXPECT_EQ(ScriptWord::unsafe("a\tb"), "holds the control byte 0x9");
    EXPECT_EQ(ScriptWord::unsafe("a b"), "holds a blank");
    EXPECT_NE(ScriptWord::unsafe("a;b").find("separates statements"), std::string::npos);
    EXPECT_NE(ScriptWord::unsafe("it's").find("comment"), std::string::npos);
    EXPECT_EQ(ScriptWord::unsafe("\"q\""), "holds a quotation mark");
    // Unsafe is part of every fault.
    EXPECT_EQ(ScriptWord::fault("a\nb"), "holds a line break");
}

TEST(ScriptWord, WhatTheTokenizerRewritesIsAFaultButNotUnsafe) {
    for (const std::string name : {"a#b", "f0x1", "F0X1", "=text"}) {
        EXPECT_NE(ScriptWord::fault(name), "") << name;
        EXPECT_EQ(ScriptWord::unsafe(name), "") << name;
    }
    EXPECT_EQ(ScriptWord::fault(""), "is empty");
    EXPECT_EQ(ScriptWord::unsafe(""), "");
}

}  // namespace
}  // namespace kestrel
