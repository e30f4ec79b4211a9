#pragma once
// Reads a decompiled script the way the engine would compile it and lists
// every statement the decompiler does not write itself: a directive other
// than "#ORG", "#move" and raw "#0x.." data, a block comment, an inline
// label, an echo. Both CR and LF end a line here, whatever the line reader
// does with a lone CR, so a script passes only if no reader could split it
// into something else.
#include <string>
#include <vector>

#include "text/SmartString.h"
#include "text/TextKit.h"

namespace kestrel::test {

class ScriptScan {
public:
    static std::vector<std::string> foreignStatements(const std::string& script) {
        std::vector<std::string> foreign;
        std::size_t start = 0;
        while (start <= script.size()) {
            std::size_t end = script.find_first_of("\r\n", start);
            if (end == std::string::npos) end = script.size();
            checkLine(script.substr(start, end - start), foreign);
            start = end + 1;
        }
        return foreign;
    }

private:
    static void checkLine(std::string line, std::vector<std::string>& foreign) {
        const std::string original = line;
        SmartString words;
        words.kaTrim(line);
        if (line.empty() && words.vDirective.empty()) return;
        const std::string directive = words.vDirective;
        if (directive == "=") return;
        if (directive == "/") {
            if (words.vComment.empty() || words.vComment[0] != '/') foreign.push_back(original);
            return;
        }
        // The engine splits the statement at ";" and trims every later piece on its own.
        std::string statement = words.values(0);
        SmartString pieces;
        pieces.kaSplit(statement, ";");
        checkStatement(directive, pieces.values(0), original, foreign);
        for (int i = 1; i <= pieces.count(); ++i) {
            std::string piece = pieces.values(i);
            SmartString own;
            own.kaTrim(piece);
            if (piece.empty() && own.vDirective.empty()) continue;
            if (own.vDirective == "=") continue;
            checkStatement(own.vDirective, own.values(0), original, foreign);
        }
    }

    static void checkStatement(const std::string& directive, const std::string& statement, const std::string& line,
                               std::vector<std::string>& foreign) {
        if (directive.empty()) return;  // a command line
        if (directive != "#") {
            foreign.push_back(line);
            return;
        }
        SmartString words;
        words.kaSplit(statement, " ");
        const std::string keyword = textkit::lower(words.values(0));
        if (keyword == "org" || keyword == "move") return;
        if (keyword.size() > 2 && keyword.compare(0, 2, "&h") == 0 &&
            keyword.find_first_not_of("0123456789abcdef", 2) == std::string::npos)
            return;
        foreign.push_back(line);
    }
};

}  // namespace kestrel::test
