// kestrel: the compiler, decompiler and console. This file only wires the
// platform layer, the console and the engine together.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "console/Instant.h"
#include "engine/Control.h"
#include "engine/Shared.h"
#include "services/FileHandle.h"
#include "text/KestrelError.h"

#if defined(_WIN32)
#include "platform/win32/Win32Platform.h"
using NativePlatform = kestrel::Win32Platform;
#else
#include "platform/posix/PosixPlatform.h"
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
        "  --help      show this help and exit\n"
        "  --version   show the version and exit\n"
        "\n"
        "Console commands (interactive mode):\n"
        "%s"
        "\n"
        "Environment: KESTREL_HOME (the program's own directory, where codesets are found),\n"
        "KESTREL_LOG_DIR (where log files go).\n"
        "Exit status: 0 no error reported, 1 errors were reported, 2 critical error or usage error.\n",
        kestrel::Instant::commandHelp());
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "kestrel: %s\nTry 'kestrel --help'.\n", message.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    bool batch = false;
    bool assumeYes = false;
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

    NativePlatform platform;
    platform.setAssumeYes(assumeYes);
    if (batch) platform.setBatch(true);
    kestrel::Instant console(platform);
    int status = 0;
    std::string summary;
    try {
        kestrel::Shared shared(platform, &console);
        console.banner();
        if (!codeLine.empty()) shared.gEngine->pending(codeLine);
        if (platform.interactive()) {
            shared.gEngine->setInputSource("<console>", 0);
            console.run(shared);
        } else {
            int number = 0;
            while (auto line = platform.readConsoleLine("")) {
                shared.gEngine->setInputSource("<stdin>", ++number);
                shared.gEngine->pending(*line);
            }
        }
        summary = shared.gEngine->summary();
        status = shared.gEngine->errorCount() > 0 ? 1 : 0;
    } catch (const kestrel::ProgramExit& exit) {
        status = exit.status;
    } catch (const std::exception& error) {
        platform.flushConsole();
        std::fprintf(stderr, "kestrel: %s\n", error.what());
        return 2;
    }
    platform.flushConsole();
    if (!summary.empty()) std::fprintf(stderr, "kestrel: %s\n", summary.c_str());
    return status;
}
