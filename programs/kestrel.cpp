// kestrel: the compiler, decompiler and console. This file only wires the
// platform layer, the console and the engine together.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <filesystem>
#include <memory>
#include <system_error>

#include "buffers/SymbolTable.h"
#include "console/Instant.h"
#include "engine/Control.h"
#include "engine/LineImages.h"
#include "engine/Registration.h"
#include "engine/RoundTrip.h"
#include "engine/Shared.h"
#include "engine/TableExchange.h"
#include "platform/InstanceChannel.h"
#include "services/FileHandle.h"
#include "services/OutputFile.h"
#include "text/KestrelError.h"

#if defined(_WIN32)
#  include "platform/win32/Win32Platform.h"
using NativePlatform = kestrel::Win32Platform;
#else
#  include "platform/posix/PosixPlatform.h"
using NativePlatform = kestrel::PosixPlatform;
#endif

namespace {

void printHelp() {
    std::printf(
        "Usage: kestrel [options] [code line ...]\n"
        "Compile, burn and decompile scripts for binary images.\n"
        "\n"
        "The words after the options, joined by spaces, are compiled as one code line;\n"
        "statements are separated by ';'. Examples:\n"
        "  kestrel '#boot lumen;#encode \"my script.ksc\"'     compile a script into my script.buf\n"
        "  kestrel '#boot lumen;#rawdecode game.bin 0x1234 3'  decompile an image from an offset\n"
        "  kestrel '#kapeek my.buf;#kapop game.bin'            burn a buffer file into an image\n"
        "  kestrel --batch < lines.ksc                          compile lines read from standard input\n"
        "\n"
        "Options:\n"
        "  --batch     no console: after the command line, read code lines from standard\n"
        "              input until it ends (implied when standard input is not a terminal);\n"
        "              nothing waits for an answer: Yes/No questions answer No, input boxes\n"
        "              and file dialogs are cancelled, a critical error exits with status 2\n"
        "  --yes       answer Yes to Yes/No questions (for example replacing an existing file)\n"
        "  --new-instance  run on its own even when a kestrel console is running\n"
        "              (otherwise the code line is handed to that console)\n"
        "  --file NAME append NAME, quoted, to the code line (the form file-manager verbs use)\n"
        "  --unregister CODESET  remove the file types that #register wrote for CODESET\n"
        "  --sym OUT   at the end, write the labels of every #kapop of the run with their\n"
        "              final addresses to OUT, one 'AAAAAAAA NAME' line each, sorted by\n"
        "              address (with autobank the bank base 08000000 is added); such a\n"
        "              run does not hand its line to a running console\n"
        "  --table-export CODESET OUT.tbl  write the codeset's character table as a table\n"
        "              file (XX=text lines; $XX=code name, /XX=end character, @marker=text)\n"
        "  --table-import IN.tbl OUT.ksh   write the header lines that load a table file\n"
        "  --verify CODESET SCRIPT.ksc     compile, decompile and compile again; prints the\n"
        "              first label whose bytes differ, or \"round trip holds\"\n"
        "  --help      show this help and exit\n"
        "  --version   show the version and exit\n"
        "\n"
        "Console commands (interactive mode):\n"
        "%s"
        "\n"
        "Standard output shows the log lines; errors (file:line: message) and the\n"
        "error summary go to standard error as well as the log file.\n"
        "\n"
        "Environment: KESTREL_HOME (the program's own directory, where codesets are found),\n"
        "KESTREL_LOG_DIR (where log files go).\n"
        "Exit status: 0 no error reported, 1 errors were reported, 2 critical error or usage error.\n",
        kestrel::Instant::commandHelp());
}

// A second start hands its code line to the console that runs for the
// user. Returns the exit status when it did, nothing when this start runs on
// its own (and listens itself when `listen`).
std::optional<int> forwardToRunning(kestrel::Platform& platform, std::unique_ptr<kestrel::InstanceChannel>& channel,
                                    bool listen, const std::string& codeLine) {
    channel = platform.instanceChannel("kestrel");
    if (!channel) return std::nullopt;
    if (listen && channel->claim()) return std::nullopt;
    std::error_code ec;
    kestrel::InstanceChannel::Message message;
    message.directory = std::filesystem::current_path(ec).string();
    message.text = codeLine;
    const auto delivery = channel->forward(message);
    channel.reset();
    using Delivery = kestrel::InstanceChannel::Delivery;
    if (delivery == Delivery::noPrimary) return std::nullopt;
    if (delivery == Delivery::taken) {
        std::fprintf(stderr, codeLine.empty()
                                 ? "kestrel: a kestrel console is already running (--new-instance starts another)\n"
                                 : "kestrel: handed to the kestrel console already running\n");
        return 0;
    }
    std::fprintf(stderr, "kestrel: the running kestrel console %s the line\n",
                 delivery == Delivery::refused ? "refused" : "did not take");
    return 2;
}

// The --sym file at the end of a run (not after a critical error).
bool writeSymbols(kestrel::Platform& platform, kestrel::Shared& shared, const kestrel::SymbolTable& symbols,
                  const std::string& file) {
    try {
        if (!kestrel::OutputFile::mayReplace(platform, file)) {
            shared.gFiles->diagnostic("kestrel: '" + file + "' exists; symbols not written (answer Yes or use --yes)");
            return false;
        }
        kestrel::OutputFile::write(platform, file, symbols.text());
    } catch (const kestrel::KestrelError& error) {
        shared.gFiles->diagnostic(std::string("kestrel: symbols not written: ") + error.what());
        return false;
    }
    shared.gFiles->echo("Symbols of " + std::to_string(symbols.size()) + " labels written to " + file);
    return true;
}

// --table-export, --table-import and --verify; false when the tool failed.
bool runTool(kestrel::Shared& shared, const std::string& tool, const std::string& first, const std::string& second) {
    if (tool == "--table-export") return kestrel::TableExchange(shared).exportTable(first, second);
    if (tool == "--table-import") return kestrel::TableExchange(shared).importTable(first, second);
    return kestrel::RoundTrip(shared).verify(first, second);
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "kestrel: %s\nTry 'kestrel --help'.\n", message.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bool batch = false;
    bool assumeYes = false;
    bool newInstance = false;
    std::string fileArgument;
    bool fromFileVerb = false;
    std::string unregister;
    std::string symbolFile;
    // --table-export, --table-import or --verify and their two values.
    std::string tool;
    std::string toolFirst;
    std::string toolSecond;
    std::string codeLine;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && arg == "--batch") {
            batch = true;
        } else if (options && arg == "--yes") {
            assumeYes = true;
        } else if (options && arg == "--new-instance") {
            newInstance = true;
        } else if (options && (arg == "--file" || arg == "--unregister" || arg == "--sym")) {
            if (i + 1 >= argc) return usageError("option '" + arg + "' needs a value");
            const std::string value = argv[++i];
            if (arg == "--unregister") {
                unregister = value;
                continue;
            }
            if (arg == "--sym") {
                if (value.empty()) return usageError("--sym needs a file name");
                symbolFile = value;
                continue;
            }
            if (value.find('"') != std::string::npos)
                return usageError("a file name with '\"' cannot be quoted in a code line");
            fileArgument = value;
            fromFileVerb = true;
        } else if (options && (arg == "--table-export" || arg == "--table-import" || arg == "--verify")) {
            if (i + 2 >= argc) return usageError("option '" + arg + "' needs two values");
            if (!tool.empty()) return usageError("'" + arg + "' cannot be combined with '" + tool + "'");
            tool = arg;
            toolFirst = argv[++i];
            toolSecond = argv[++i];
        } else if (options && (arg == "--help" || arg == "-h")) {
            printHelp();
            return 0;
        } else if (options && arg == "--version") {
            std::printf("kestrel %s\n", KESTREL_VERSION);
            return 0;
        } else if (options && arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            return usageError("unknown option '" + arg + "'");
        } else {
            if (!codeLine.empty()) codeLine += ' ';
            codeLine += arg;
        }
    }

    if (!tool.empty() && (!codeLine.empty() || fromFileVerb || !unregister.empty() || !symbolFile.empty()))
        return usageError("'" + tool + "' takes no code line and no other task");
    // The tools run once and wait for nobody.
    if (!tool.empty()) batch = true;
    if (fromFileVerb) codeLine += (codeLine.empty() ? "\"" : " \"") + fileArgument + "\"";

    NativePlatform platform;
    platform.setAssumeYes(assumeYes);
    if (batch) platform.setBatch(true);
    // One console per user: a start at a terminal listens unless one already
    // runs, and then hands its code line over. Starts without a terminal do
    // neither, except the file manager's verbs (--file), which hand over.
    // A run with --sym keeps its line: the symbols are those of its own burns.
    std::unique_ptr<kestrel::InstanceChannel> channel;
    if (!batch && !newInstance && unregister.empty() && symbolFile.empty() &&
        (platform.interactive() || fromFileVerb)) {
        if (auto status = forwardToRunning(platform, channel, platform.interactive(), codeLine)) return *status;
        platform.setInstanceChannel(channel.get());
    }
    kestrel::Instant console(platform);
    // Labels of the run's burns, gathered as each line's images are replaced.
    kestrel::SymbolTable symbols;
    // Outlives the run so that a run ended by `exit` still gets its summary.
    std::unique_ptr<kestrel::Shared> shared;
    int status = 0;
    try {
        shared = std::make_unique<kestrel::Shared>(platform, &console);
        if (!unregister.empty()) {
            const bool removed = shared->gEngine->registration().unregister(unregister);
            shared->gFiles->echo(removed ? "UNREGISTERED " + unregister : "nothing is registered for " + unregister);
            platform.flushConsole();
            return removed ? 0 : 1;
        }
        if (!symbolFile.empty()) shared->gEngine->lineImages().collectSymbols(&symbols);
        if (!tool.empty()) {
            const bool done = runTool(*shared, tool, toolFirst, toolSecond);
            if (const std::string summary = shared->gEngine->summary(); !summary.empty())
                shared->gFiles->diagnostic("kestrel: " + summary);
            platform.flushConsole();
            return done && shared->gEngine->errorCount() == 0 ? 0 : 1;
        }
        console.banner();
        if (!codeLine.empty()) shared->gEngine->pending(codeLine);
        shared->gEngine->finishRegistration();
        if (platform.interactive()) {
            shared->gEngine->setInputSource("<console>", 0);
            console.run(*shared);
        } else {
            int number = 0;
            while (auto line = platform.readConsoleLine("")) {
                shared->gEngine->setInputSource("<stdin>", ++number);
                shared->gEngine->pending(*line);
            }
        }
        shared->gEngine->finishRegistration();
        status = shared->gEngine->errorCount() > 0 ? 1 : 0;
    } catch (const kestrel::ProgramExit& exit) {
        status = exit.status;
    } catch (const std::exception& error) {
        platform.writeDiagnostic(std::string("kestrel: ") + error.what());
        return 2;
    }
    if (shared && status != 2 && !symbolFile.empty() && !writeSymbols(platform, *shared, symbols, symbolFile))
        status = std::max(status, 1);
    // After a critical error the log is closed and the box said it all.
    const std::string summary = shared && status != 2 ? shared->gEngine->summary() : std::string();
    if (!summary.empty()) shared->gFiles->diagnostic("kestrel: " + summary);
    platform.flushConsole();
    return status;
}
