#include "engine/EngineDirectives.h"

#include "buffers/FileBuffer.h"
#include "engine/Registration.h"
#include "engine/Shared.h"
#include "platform/Platform.h"
#include "services/ConsoleSink.h"
#include "services/FileHandle.h"
#include "text/Autobank.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/TextKit.h"

namespace kestrel {

namespace {

const char* truth(bool value) { return value ? "True" : "False"; }

// A buffer number given in a directive: 0 to 15.
uint8_t bufferNumber(const std::string& word) {
    const double value = numeric::read(word);
    if (value < 0 || value > 15) throw OutOfRangeError("buffer number " + word + " (buffers are 0 to 15)");
    return numeric::toByte(value);
}

}  // namespace

void EngineDirectives::install(EngineContext& engine, EngineContext::DirectiveTable& table) {
    Shared& shared = engine.shared();
    auto files = [&shared]() -> FileHandle& { return *shared.gFiles; };
    auto buffers = [&shared]() -> FileBuffer& { return *shared.gBuffers; };
    auto line = [&engine] { return std::to_string(engine.lineNumber()); };
    auto join = [&shared](const std::string& folder, const std::string& file) {
        return folder + shared.platform.separator() + file;
    };
    // Runs a header of a codeset: reports a header that cannot be opened.
    auto runHeader = [&engine](const std::string& name, const std::string& folder) {
        if (engine.runScript(name))
            engine.setCodeset(folder);
        else
            engine.reportError("cannot open '" + name + "'");
    };
    auto loadCodeset = [&, runHeader, join](const std::string& folder) {
        runHeader(join("base", "includes.ksh"), folder);
        runHeader(join(folder, "includes.ksh"), folder);
    };

    table["do"] = [](EngineContext::Call&) {};
    table["lock"] = [&engine](EngineContext::Call&) { engine.switches().fLocked = true; };
    table["unlock"] = [&engine](EngineContext::Call&) { engine.switches().fLocked = false; };
    table["install"] = [&engine, join](EngineContext::Call& call) {
        const std::string folder = call.arg(1);
        const std::string name = join(folder, "install.ksc");
        if (engine.runScript(name))
            engine.setCodeset(folder);
        else
            engine.reportError("cannot open '" + name + "'");
    };
    table["boot"] = [&engine, &shared, files, loadCodeset](EngineContext::Call& call) {
        const std::string folder = call.arg(1);
        if (call.count() < 1 || folder.empty() || textkit::equalsIgnoreCase(folder, engine.codeset())) return;
        shared.replaceCodeset(true);
        loadCodeset(folder);
        files().cls();
    };
    table["codeset"] = [&shared, loadCodeset](EngineContext::Call& call) {
        shared.replaceCodeset(false);
        loadCodeset(call.count() >= 1 ? call.arg(1) : std::string());
    };

    auto dos = [files](const std::string& word, std::string argument) {
        std::string result = files().Dos(word, argument);
        files().echo(result);
        return result;
    };
    table["dir"] = [files](EngineContext::Call& call) {
        std::string pattern = call.count() >= 1 ? call.arg(1) : std::string();
        files().echo(files().Dos("dir", pattern) + "\r\n");
    };
    table["cd"] = [dos](EngineContext::Call& call) { dos("cd", call.count() >= 1 ? call.arg(1) : std::string()); };
    table["cd.."] = [dos](EngineContext::Call&) { dos("cd", ".."); };
    table["file"] = [files](EngineContext::Call& call) {
        if (call.count() == 1) files().setFilename(NamePart::fullpath, call.arg(1));
    };
    // The shell words act only with exactly one argument.
    auto oneArgument = [dos](const char* word) {
        return [dos, word](EngineContext::Call& call) {
            if (call.count() == 1) dos(word, call.arg(1));
        };
    };
    table["delete"] = table["del"] = oneArgument("delete");
    table["rmdir"] = table["rd"] = oneArgument("rmdir");
    table["mkdir"] = table["md"] = oneArgument("mkdir");
    table["start"] = table["run"] = oneArgument("shell");

    // register codeset [as|?] description; regext extension [as] kind.
    table["register"] = [&engine](EngineContext::Call& call) {
        const bool form = call.arg(2) == "as" || call.arg(2) == "?";
        engine.setLastDirective("register");
        engine.registration().begin(call.arg(1), call.arg(form ? 3 : 2), call.arg(2) == "?");
    };
    table["regext"] = [&engine](EngineContext::Call& call) {
        engine.registration().addExtension(call.arg(1), call.arg(call.arg(2) == "as" ? 3 : 2));
    };

    table["whoami"] = [files](EngineContext::Call&) {
        files().echo("Kestrel " KESTREL_VERSION " - script compiler and decompiler for binary images");
    };
    table["fulllog"] = [&engine, files, line](EngineContext::Call& call) {
        engine.switches().fFullLog = call.arg(1) == "on";
        files().echo(line() + ": fulllog " + truth(engine.switches().fFullLog));
    };
    table["autopop"] = [&engine](EngineContext::Call& call) { engine.switches().fAutoPop = call.arg(1) == "on"; };
    table["silent"] = [&shared](EngineContext::Call& call) {
        if (!shared.gConsole) return;
        shared.gConsole->setVisible(true);
        if (call.arg(1) == "on") shared.gConsole->setVisible(false);
    };
    table["autobank"] = [&shared, files, line](EngineContext::Call& call) {
        shared.autobank.set(!(call.count() >= 1 && call.arg(1) == "off"));
        files().echo(line() + ": Autobank " + truth(shared.autobank.on()));
    };
    table["autobuffer"] = [files, line](EngineContext::Call& call) {
        files().echo(line() + ": autobuffer " + truth(call.arg(1) == "on"));
    };
    table["f.echo"] = [&engine](EngineContext::Call& call) { engine.switches().fEcho = call.arg(1) == "on"; };

    // The running line loop reads the included file next. Outside any script
    // (the command line, the console) no loop runs: the file runs at once.
    auto include = [&engine, files](EngineContext::Call& call) {
        std::string name = call.arg(1);
        if (call.count() < 1 || !files().OpenFile(name, FileHandle::OpenMode::script)) {
            engine.reportError("cannot open include file '" + call.arg(1) + "'");
            return;
        }
        if (!engine.runningFile()) engine.runOpenFiles();
    };
    table["include"] = table["kacode"] = include;
    table["endfile"] = [files](EngineContext::Call&) {
        if (files().fileno() > 1) files().closefile();
    };
    table["cls"] = [files](EngineContext::Call&) { files().cls(); };
    table["kapow"] = [&shared, line](EngineContext::Call&) {
        shared.ShowCritical("User Caused Crash: line " + line());
    };
    table["kapush"] = [buffers](EngineContext::Call& call) {
        buffers().pushoffsett(call.arg(1), numeric::toInt32(numeric::read(call.arg(2))));
    };
    table["kableewy"] = [&shared, files](EngineContext::Call&) {
        shared.replaceBuffers();
        files().echo(" - Buffer Blown -");
    };
    table["exit"] = [&engine](EngineContext::Call&) { throw ProgramExit{engine.errorCount() > 0 ? 1 : 0}; };

    table["org"] = [&engine, buffers, files](EngineContext::Call& call) {
        FileBuffer& set = buffers();
        set.setInname(call.arg(1));
        if (call.count() == 2) {
            // The home buffer is current at once, for the label and the rest of the line.
            const uint8_t home = bufferNumber(call.arg(2));
            set.setInbuffer(home);
            set.lastbuffer = home;
            engine.setLineBuffer(home);
        }
        files().echo(" ");
        files().echo("#OFFSET: " + std::to_string(set.inoffsett()) + ", " + std::to_string(set.lastbuffer));
    };
    table["inline"] = [&engine, buffers, files](EngineContext::Call& call) {
        FileBuffer& set = buffers();
        set.setInname(call.arg(1));
        if (call.count() == 2) {
            const uint8_t target = bufferNumber(call.arg(2));
            set.setInbuffer(target);
            engine.setLineBuffer(target);
        }
        files().echo(" ");
        files().echo("#INLINE: " + std::to_string(set.inoffsett()) + ", " + std::to_string(set.inbuffer()));
    };
}

}  // namespace kestrel
