#include "engine/DefinitionDirectives.h"

#include "commands/CmdList.h"
#include "commands/tCmd.h"
#include "engine/Shared.h"
#include "services/FileHandle.h"
#include "text/Numeric.h"
#include "text/SmartString.h"
#include "text/TextKit.h"

namespace kestrel {

void DefinitionDirectives::install(EngineContext& engine, EngineContext::DirectiveTable& table) {
    Shared& shared = engine.shared();

    table["addcmmd"] = [&engine, &shared](EngineContext::Call& call) {
        tCmd& cmd = shared.gCmds->newcmd();
        cmd.keyword = textkit::lower(call.arg(1));
        cmd.bytecode = numeric::toByte(numeric::read(call.arg(2)));
        cmd.Descriptions = call.comment;
        cmd.alias = false;
        engine.setLastDirective("addcmmd");
    };
    table["alias"] = [&engine, &shared](EngineContext::Call& call) {
        tCmd& cmd = shared.gCmds->newcmd();
        const std::size_t space = call.line.find(' ');
        std::string phrase = space == std::string::npos ? std::string() : call.line.substr(space + 1);
        SmartString::KaScrub(phrase);
        cmd.keyword = textkit::lower(phrase);
        cmd.bytecode = 0;
        cmd.Descriptions = call.comment;
        cmd.alias = true;
        engine.setLastDirective("alias");
    };
    table["addparm"] = [&shared](EngineContext::Call& call) {
        tCmd& cmd = shared.gCmds->newcmd();
        const int n = cmd.parmcnt;
        cmd.setParmsise(n, numeric::toByte(numeric::strict(call.arg(1))));
        if (call.count() == 2) cmd.setParmDesc(n, textkit::lower(call.arg(2)));
        cmd.parmcnt = static_cast<uint8_t>(n + 1);
    };
    table["define"] = [&engine, &shared](EngineContext::Call& call) {
        std::string name = call.arg(1);
        std::string value = call.arg(2);
        if (call.count() == 3) {
            name = call.arg(3) + name;
            value = call.arg(3) + value;
        }
        shared.gWords->add(name, value, "");
        if (engine.switches().fFullLog) shared.gFiles->echo("Add ParmDefine: " + name + " - - " + value);
    };
    auto character = [&engine, &shared](const char* method) {
        return [&engine, &shared, method](EngineContext::Call& call) {
            if (call.arg(1).empty()) {
                shared.ShowNotice("Text entry error line: " + std::to_string(engine.lineNumber()));
                shared.gFiles->echo(
                    "Cannot use spaces or the symbols ; ' in text assignment except as chr values.. ie: #20 - SPACE");
                engine.reportError("character-table entry without a code");
                return;
            }
            std::string code = call.arg(1);
            std::string text = call.arg(2);
            shared.gLetters->add(code, text, method);
        };
    };
    table["addtext"] = character("text");
    table["addhash"] = character("hash");
    table["addctrl"] = character("ctrl");
}

}  // namespace kestrel
