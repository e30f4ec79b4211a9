#pragma once
// A command database on a real FileHandle with a scripted platform (no log
// file); echoed lines are collected from a console.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "commands/CmdList.h"
#include "services/ConsoleSink.h"
#include "services/FileHandle.h"
#include "support/FakePlatform.h"
#include "support/RecordingConsole.h"
#include "text/Autobank.h"
#include "text/TextKit.h"

namespace kestrel {

// Reaches the private resolver of the database.
class CmdListTestAccess {
public:
    static int applyspec(const CmdList& list, std::string& spec, std::string& word) {
        return list.applyspec(spec, word);
    }
};

namespace test {

inline std::string hexDump(const std::string& data) {
    std::string out;
    for (char c : data) {
        if (!out.empty()) out += ' ';
        textkit::appendHexPair(out, static_cast<uint8_t>(c));
    }
    return out;
}

struct Parm {
    int type;
    std::string spec;
    Parm(int t) : type(t) {}  // NOLINT: brace lists of plain type codes read best
    Parm(int t, std::string s) : type(t), spec(std::move(s)) {}
};

class CommandsFixture : public ::testing::Test {
protected:
    CommandsFixture() : files(platform, "kestrel"), cmds(files.log(), autobank) { files.setConsole(&console); }

    void command(const std::string& keyword, int byte, std::initializer_list<Parm> parms = {}) {
        tCmd& cmd = cmds.newcmd();
        cmd.keyword = keyword;
        cmd.bytecode = static_cast<uint8_t>(byte);
        cmd.alias = false;
        for (const Parm& p : parms)
            p.spec.empty() ? cmd.addparm(static_cast<uint8_t>(p.type))
                           : cmd.addparm(static_cast<uint8_t>(p.type), p.spec);
        cmds.add();
    }
    void alias(const std::string& phrase, std::initializer_list<Parm> parms) {
        tCmd& cmd = cmds.newcmd();
        cmd.keyword = phrase;
        cmd.alias = true;
        for (const Parm& p : parms)
            p.spec.empty() ? cmd.addparm(static_cast<uint8_t>(p.type))
                           : cmd.addparm(static_cast<uint8_t>(p.type), p.spec);
        cmds.add();
    }

    // Encodes one statement; the hex dump of its bytes, "" when nothing was found.
    std::string encodeHex(const std::string& statement, std::string* pointers = nullptr, int line = 1) {
        std::string script = statement;
        std::string mask;
        if (!cmds.encode(script, mask, line)) return "";
        if (pointers) *pointers = mask;
        return hexDump(script);
    }
    std::pair<std::string, std::string> decode(const std::string& data, bool image) {
        std::string code = data;
        std::string mask;
        cmds.decode(code, mask, image);
        return {code, mask};
    }
    std::pair<std::string, std::string> decompile(const std::string& data, bool image) {
        auto [code, mask] = decode(data, image);
        cmds.dealias(code, mask);
        return {code, mask};
    }

    bool logged(const std::string& line) const {
        return std::find(console.lines.begin(), console.lines.end(), line) != console.lines.end();
    }

    FakePlatform platform;
    RecordingConsole console;
    FileHandle files;
    Autobank autobank;
    CmdList cmds;
};

}  // namespace test
}  // namespace kestrel
