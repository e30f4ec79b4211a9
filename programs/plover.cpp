// plover: places buffer files in an image and burns them, in its window or
// from a build script (--batch). This file reads the command line and wires
// the platform, the model (bufferwriter/) and the window together.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "buffers/FileBuffer.h"
#include "bufferwriter/AddressText.h"
#include "bufferwriter/BufList.h"
#include "bufferwriter/BurnReview.h"
#include "bufferwriter/Search.h"
#include "platform/InstanceChannel.h"
#include "services/FileHandle.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/TextKit.h"

#if defined(_WIN32)
#  include "platform/win32/Win32Platform.h"
using NativePlatform = kestrel::Win32Platform;
#else
#  include "platform/posix/PosixPlatform.h"
using NativePlatform = kestrel::PosixPlatform;
#endif

#if defined(PLOVER_WINDOW_MODULE)
#  include <dlfcn.h>
#endif

namespace {

void printHelp() {
    std::printf(
        "Usage: plover [FILE.buf ...]                  the window, loading the files\n"
        "       plover --execute TEXT                  hand TEXT to the running window\n"
        "       plover --batch [options] FILE.buf ...  no window; nothing waits for an answer\n"
        "Place buffer files in an image and burn them.\n"
        "\n"
        "One window runs for the user: a later start without --batch hands its files\n"
        "to it (relative names are taken in the starting folder) and ends; the window\n"
        "loads them in place of its queue. --execute TEXT appends TEXT (files separated\n"
        "by ';') to the running window's queue; with no window running it ends with 1.\n"
        "  --new-instance     open a window of its own even if one runs\n"
        "\n"
        "Batch options:\n"
        "  --image IMG        destination image\n"
        "  --look N           print the search's locations for N bytes, one a line (&H800011);\n"
        "                     exit 0 when one is found, 1 when none\n"
        "  --pattern 00|ff    filler that counts as free (default ff)\n"
        "  --start ADDR       search start (default &h800000)\n"
        "  --probe 100|10     probe length (default 100)\n"
        "  --find             search room for all labels and place them from the first location\n"
        "  --reserve          with --find: reserve that room first\n"
        "  --place ADDR       give all labels consecutive addresses from ADDR, in list order\n"
        "  --push NAME=ADDR   give one label or floating pointer its address (repeatable)\n"
        "  --fill none|00|ff  burn filler instead of the data\n"
        "  --no-autobank      pointers are plain image offsets\n"
        "  --list             print both lists as the window shows them\n"
        "  --dry-run          print the burn plan and change nothing\n"
        "  --burn             burn into the image\n"
        "  --patch OUT        write what the burn would change as a patch (OUT.ips or OUT.bps)\n"
        "                     and leave the image as it is\n"
        "  --sym OUT          with --burn, --patch or --dry-run: write every label's final\n"
        "                     address to OUT, one 'AAAAAAAA NAME' line each, sorted by address\n"
        "                     (with autobank the bank base 08000000 is added)\n"
        "  --yes              answer Yes to Yes/No questions (overlapping labels, replacing\n"
        "                     an existing patch or symbol file)\n"
        "  --help, --version\n"
        "\n"
        "ADDR is decimal, &h or 0x hexadecimal. Labels are named file.label (the file's\n"
        "base name in lower case). Order: load, push, place/find, check the plan, burn.\n"
        "Example: plover --batch --image game.bin --place 0x800000 --burn intro.buf\n"
        "         plover --batch --image game.bin --place 0x800000 --patch intro.ips --sym intro.sym intro.buf\n"
        "Exit status: 0 done, 1 an error was reported (nothing burned), 2 usage or critical error.\n");
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "plover: %s\nTry 'plover --help'.\n", message.c_str());
    return 2;
}

struct Options {
    bool batch = false;
    bool yes = false;
    bool newInstance = false;
    std::optional<std::string> execute;
    std::string image;
    std::string look;
    std::string pattern = "ff";
    std::string start = "&h800000";
    std::string probe = "100";
    bool find = false;
    bool reserve = false;
    std::string place;
    std::vector<std::pair<std::string, std::string>> pushes;
    std::string fill;
    bool noAutobank = false;
    bool list = false;
    bool dryRun = false;
    bool burn = false;
    std::string patch;
    std::string sym;
    std::vector<std::string> files;
};

// The value of an option given as "--name value" or "--name=value".
bool takeValue(int argc, char** argv, int& i, const std::string& arg, const char* name, std::string& value,
               std::string& error) {
    const std::string option = name;
    if (arg == option) {
        if (i + 1 >= argc) {
            error = "option '" + option + "' needs a value";
            return true;
        }
        value = argv[++i];
        return true;
    }
    if (arg.rfind(option + "=", 0) == 0) {
        value = arg.substr(option.size() + 1);
        return true;
    }
    return false;
}

void printList(kestrel::BufList& list) {
    std::printf("Offsetts:\n");
    for (const auto& entry : list.offsetts()) std::printf("  %s\n", entry.text().c_str());
    std::printf("Floating Pointers:\n");
    for (const auto& name : list.floating()) std::printf("  %s\n", name.c_str());
}

int64_t readAddress(const std::string& text, const char* what) {
    try {
        return kestrel::address::parse(text);
    } catch (const kestrel::KestrelError& error) {
        throw kestrel::FormatError(std::string(what) + ": " + error.what());
    }
}

// The batch run; returns the exit status.
int runBatch(const Options& o, kestrel::Platform& platform) {
    kestrel::BufList list(platform);
    std::string queue;
    for (const auto& name : o.files) queue += (queue.empty() ? "" : ";") + name;
    list.start(queue);
    if (!o.image.empty()) list.setDestination(o.image);
    if (o.noAutobank) list.setAutobank(false);
    if (o.fill == "00")
        list.setFill(0);
    else if (o.fill == "ff")
        list.setFill(255);

    kestrel::Search& search = list.search();
    search.pattern = o.pattern == "00" ? 0 : 1;
    search.TxtStart = o.start;
    search.Safety = o.probe != "10";

    if (!o.look.empty()) {
        search.txtBytes = o.look;
        search.Look();
        for (const auto& location : search.LstLocations) std::printf("%s\n", location.c_str());
        return search.LstLocations.empty() ? 1 : 0;
    }

    int errors = 0;
    if (list.failedLoads() > 0) {
        std::fprintf(stderr, "plover: %d buffer file%s not loaded; see the log %s\n", list.failedLoads(),
                     list.failedLoads() == 1 ? "" : "s", list.fileService().logPath().c_str());
        ++errors;
    }
    for (const auto& [name, text] : o.pushes) {
        const int64_t at = readAddress(text, ("--push " + name).c_str());
        if (!list.pushName(name, at)) {
            std::fprintf(stderr, "plover: --push: no label or floating pointer is named '%s'\n", name.c_str());
            ++errors;
        }
    }
    if (!o.place.empty()) {
        const int64_t at = readAddress(o.place, "--place");
        list.selectAll(true);
        if (!list.pushthese(at)) ++errors;
    }
    if (o.find) {
        list.selectAll(true);
        list.setView(kestrel::BufList::View::Offsetts);
        if (list.insert()) {
            search.Reserve = o.reserve;
            if (search.Look() == 0) {
                std::fprintf(stderr, "plover: --find: no room for %s bytes in '%s'\n", search.txtBytes.c_str(),
                             list.destination().c_str());
                ++errors;
            } else {
                search.choose(0);
                std::printf("found room at %s\n", search.txtOffsett.c_str());
                if (!search.Assign()) ++errors;
            }
        } else {
            ++errors;
        }
    }
    if (o.list) printList(list);
    if (errors > 0) return 1;

    if ((o.dryRun || o.burn || !o.patch.empty()) && o.image.empty()) {
        std::fprintf(stderr, "plover: --%s needs --image\n", o.dryRun ? "dry-run" : o.burn ? "burn" : "patch");
        return 2;
    }
    // The symbols of a plan that was carried out (or, for a dry run, could be).
    auto writeSymbols = [&](const kestrel::BurnPlan& plan) {
        if (o.sym.empty()) return true;
        if (!list.writeSymbols(o.sym, plan)) {
            std::fprintf(stderr, "plover: symbols not written to %s; see the log %s\n", o.sym.c_str(),
                         list.fileService().logPath().c_str());
            return false;
        }
        std::printf("symbols written to %s\n", o.sym.c_str());
        return true;
    };
    if (o.dryRun) {
        const kestrel::BurnReview review = list.review(false);
        for (const auto& line : review.lines()) std::printf("%s\n", line.c_str());
        if (review.refused()) {
            if (!o.sym.empty()) std::fprintf(stderr, "plover: the plan is refused; no symbols written\n");
            return 1;
        }
        if (!writeSymbols(review.plan)) return 1;
        return review.warnings.empty() ? 0 : 1;
    }
    if (!o.patch.empty()) {
        if (!list.writePatch(o.patch)) {
            std::fprintf(stderr, "plover: no patch written; see the log %s\n", list.fileService().logPath().c_str());
            return 1;
        }
        std::printf("patch written to %s\n", o.patch.c_str());
        return writeSymbols(*list.lastPlan()) ? 0 : 1;
    }
    if (o.burn) {
        if (!list.burn()) {
            std::fprintf(stderr, "plover: nothing burned; see the log %s\n", list.fileService().logPath().c_str());
            return 1;
        }
        std::printf("burned into %s\n", list.destination().c_str());
        return writeSymbols(*list.lastPlan()) ? 0 : 1;
    }
    return 0;
}

using Delivery = kestrel::InstanceChannel::Delivery;

kestrel::InstanceChannel::Message messageOf(kestrel::InstanceChannel::Message::Kind kind, const std::string& text) {
    kestrel::InstanceChannel::Message message;
    message.kind = kind;
    std::error_code ec;
    message.directory = std::filesystem::current_path(ec).string();
    message.text = text;
    return message;
}

// A start of the window hands its files to the window that runs for the
// user. Returns the exit status when it did; nothing when this start shows
// the window itself, and then `channel` listens when it could claim it.
std::optional<int> forwardToRunning(kestrel::Platform& platform, std::unique_ptr<kestrel::InstanceChannel>& channel,
                                    const std::string& commandLine) {
    channel = platform.instanceChannel("plover");
    if (!channel || channel->claim()) return std::nullopt;
    const Delivery delivery = channel->forward(messageOf(kestrel::InstanceChannel::Message::Kind::line, commandLine));
    channel.reset();
    if (delivery == Delivery::noPrimary) return std::nullopt;
    if (delivery == Delivery::taken) return 0;
    std::fprintf(stderr, "plover: the running plover window %s the files (--new-instance opens another)\n",
                 delivery == Delivery::refused ? "refused" : "did not take");
    return 2;
}

int sendExecute(kestrel::Platform& platform, const std::string& text) {
    auto channel = platform.instanceChannel("plover");
    const Delivery delivery = channel
                                  ? channel->forward(messageOf(kestrel::InstanceChannel::Message::Kind::execute, text))
                                  : Delivery::noPrimary;
    switch (delivery) {
    case Delivery::taken: return 0;
    case Delivery::noPrimary: std::fprintf(stderr, "plover: --execute: no plover window is running\n"); return 1;
    case Delivery::refused:
        std::fprintf(stderr, "plover: --execute: the running plover window refused the request\n");
        return 1;
    case Delivery::failed: break;
    }
    std::fprintf(stderr, "plover: --execute: the running plover window did not answer\n");
    return 1;
}

#if defined(PLOVER_WINDOW_MODULE)
// The window module: beside the program in the build tree, in the library
// folder of an installed tree (the same place relative to the program
// wherever the tree was installed).
std::string windowModule(kestrel::Platform& platform) {
    namespace fs = std::filesystem;
    const fs::path program = platform.executablePath();
    const fs::path folder = program.empty() ? fs::path(platform.programDirectory()) : program.parent_path();
    std::error_code ec;
#  if defined(PLOVER_WINDOW_LIBDIR)
    const fs::path installed = (folder / PLOVER_WINDOW_LIBDIR / PLOVER_WINDOW_MODULE).lexically_normal();
    if (fs::is_regular_file(installed, ec)) return installed.string();
#  endif
    return (folder / PLOVER_WINDOW_MODULE).string();
}
#endif

}  // namespace

int main(int argc, char** argv) {
    Options o;
    std::string error;
    bool options = true;
    for (int i = 1; i < argc && error.empty(); ++i) {
        const std::string arg = argv[i];
        std::string value;
        if (!options || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            o.files.push_back(arg);
        } else if (arg == "--") {
            options = false;
        } else if (arg == "--help" || arg == "-h") {
            printHelp();
            return 0;
        } else if (arg == "--version") {
            std::printf("plover %s\n", KESTREL_VERSION);
            return 0;
        } else if (arg == "--batch") {
            o.batch = true;
        } else if (arg == "--yes") {
            o.yes = true;
        } else if (arg == "--new-instance") {
            o.newInstance = true;
        } else if (takeValue(argc, argv, i, arg, "--execute", value, error)) {
            o.execute = value;
        } else if (arg == "--find") {
            o.find = true;
        } else if (arg == "--reserve") {
            o.reserve = true;
        } else if (arg == "--list") {
            o.list = true;
        } else if (arg == "--dry-run") {
            o.dryRun = true;
        } else if (arg == "--burn") {
            o.burn = true;
        } else if (arg == "--no-autobank") {
            o.noAutobank = true;
        } else if (takeValue(argc, argv, i, arg, "--image", o.image, error) ||
                   takeValue(argc, argv, i, arg, "--look", o.look, error) ||
                   takeValue(argc, argv, i, arg, "--start", o.start, error) ||
                   takeValue(argc, argv, i, arg, "--place", o.place, error) ||
                   takeValue(argc, argv, i, arg, "--sym", o.sym, error)) {
        } else if (takeValue(argc, argv, i, arg, "--patch", o.patch, error)) {
            const std::string extension = kestrel::textkit::lower(std::filesystem::path(o.patch).extension().string());
            if (error.empty() && extension != ".ips" && extension != ".bps")
                error = "--patch writes .ips or .bps files, not '" + o.patch + "'";
        } else if (takeValue(argc, argv, i, arg, "--pattern", value, error)) {
            o.pattern = kestrel::textkit::lower(value);
            if (error.empty() && o.pattern != "00" && o.pattern != "ff") error = "--pattern takes 00 or ff";
        } else if (takeValue(argc, argv, i, arg, "--probe", value, error)) {
            o.probe = value;
            if (error.empty() && value != "100" && value != "10") error = "--probe takes 100 or 10";
        } else if (takeValue(argc, argv, i, arg, "--fill", value, error)) {
            o.fill = kestrel::textkit::lower(value);
            if (error.empty() && o.fill != "none" && o.fill != "00" && o.fill != "ff")
                error = "--fill takes none, 00 or ff";
        } else if (takeValue(argc, argv, i, arg, "--push", value, error)) {
            const auto eq = value.find('=');
            if (error.empty() && (eq == std::string::npos || eq == 0 || eq + 1 == value.size()))
                error = "--push takes NAME=ADDR";
            else if (error.empty())
                o.pushes.emplace_back(value.substr(0, eq), value.substr(eq + 1));
        } else {
            error = "unknown option '" + arg + "'";
        }
    }
    if (!error.empty()) return usageError(error);
    // Addresses and counts are checked before anything is loaded.
    try {
        if (!o.place.empty()) readAddress(o.place, "--place");
        if (!o.look.empty()) readAddress(o.look, "--look");
        readAddress(o.start, "--start");
        for (const auto& [name, text] : o.pushes) readAddress(text, ("--push " + name).c_str());
    } catch (const kestrel::KestrelError& bad) {
        return usageError(bad.what());
    }
    if (o.reserve && !o.find) return usageError("--reserve works with --find");
    if (!o.patch.empty() && (o.burn || o.dryRun))
        return usageError("--patch cannot be combined with --burn or --dry-run");
    if (!o.sym.empty() && !o.burn && !o.dryRun && o.patch.empty())
        return usageError("--sym works with --burn, --patch or --dry-run");
    if (!o.batch && (o.find || o.burn || o.dryRun || o.list || !o.look.empty() || !o.place.empty() ||
                     !o.pushes.empty() || !o.image.empty() || !o.patch.empty() || !o.sym.empty()))
        return usageError("these options need --batch");
    if (o.batch && o.files.empty() && o.look.empty()) return usageError("--batch needs buffer files");
    if (o.execute && (o.batch || o.newInstance || !o.files.empty()))
        return usageError("--execute takes no files and works without --batch or --new-instance");

    NativePlatform platform;
    platform.setAssumeYes(o.yes);
    if (o.batch) {
        platform.setBatch(true);
        try {
            return runBatch(o, platform);
        } catch (const kestrel::ProgramExit& exit) {
            return exit.status;
        } catch (const kestrel::KestrelError& failure) {
            std::fprintf(stderr, "plover: %s\n", failure.what());
            return 1;
        } catch (const std::exception& failure) {
            std::fprintf(stderr, "plover: %s\n", failure.what());
            return 2;
        }
    }
    std::string commandLine;
    for (const auto& name : o.files) commandLine += (commandLine.empty() ? "" : ";") + name;
    std::unique_ptr<kestrel::InstanceChannel> channel;
    if (o.execute) return sendExecute(platform, *o.execute);
    if (!o.newInstance) {
        if (auto status = forwardToRunning(platform, channel, commandLine)) return *status;
    }
#if defined(PLOVER_WINDOW_MODULE)
    const std::string module = windowModule(platform);
    void* window = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!window) {
        std::fprintf(stderr, "plover: cannot load the window (%s); --batch works without it\n", dlerror());
        return 2;
    }
    using Run = int (*)(int*, char**, const char*, kestrel::InstanceChannel*);
    auto run = reinterpret_cast<Run>(dlsym(window, "plover_run_window"));
    if (!run) {
        std::fprintf(stderr, "plover: %s is not plover's window module\n", module.c_str());
        return 2;
    }
    return run(&argc, argv, commandLine.c_str(), channel.get());
#else
    return usageError("this plover was built without its window; use --batch");
#endif
}
