#pragma once
// The program's shared objects, created once at start-up and owned here so
// that a test can create a fresh set. Every part of the engine reaches the
// others through these names; `boot`, `codeset` and `kableewy` replace some
// of them with new empty objects.
#include <memory>
#include <string>

#include "codec/Wren.h"
#include "text/Autobank.h"

namespace kestrel {

class Platform;
class ConsoleSink;
class FileHandle;
class CmdList;
class Record;
class FileBuffer;
class Control;

// Releases a wren object through its own Release().
struct WrenRelease {
    void operator()(wren::WrenObject* object) const {
        if (object) object->Release();
    }
};
template <class T>
using WrenPtr = std::unique_ptr<T, WrenRelease>;

class Shared {
public:
    // Creates the shared objects. The file services come first because every
    // other object logs through them; the rest follow in the usual order.
    Shared(Platform& platform, ConsoleSink* console, const std::string& programName = "kestrel");
    ~Shared();
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;

    // `boot` and `codeset`: new empty command database, tables and record
    // encoder; `boot` (withBuffers) also a new buffer set.
    void replaceCodeset(bool withBuffers);
    // `kableewy`: a new empty buffer set.
    void replaceBuffers();

    // The critical-error box: logs are closed and the program ends (ProgramExit{2}).
    [[noreturn]] void ShowCritical(const std::string& text);
    // The "Notice:" box; returns.
    void ShowNotice(const std::string& text);

    Platform& platform;
    ConsoleSink* gConsole;
    // The `autobank` switch of this engine; the command database, the record
    // encoder and the buffer set read it when they convert pointers. It
    // outlives every object that holds it, and `boot` keeps its value.
    Autobank autobank;
    WrenPtr<wren::IHandleLetters> gLetters;
    WrenPtr<wren::IHandleWords> gWords;
    std::unique_ptr<CmdList> gCmds;
    std::unique_ptr<Record> gRecord;
    std::unique_ptr<FileBuffer> gBuffers;
    std::unique_ptr<Control> gEngine;
    std::unique_ptr<FileHandle> gFiles;

private:
    WrenPtr<wren::IHandleLetters> createLetters();
    WrenPtr<wren::IHandleWords> createWords();
};

}  // namespace kestrel
