#pragma once
// The entry points that read untrusted bytes, each driven over one input on
// an engine booted with a tiny codeset in a scratch folder. Shared by the
// seeded test (test_fuzz) and the libFuzzer targets (targets/).
//
// Contract of every driver: it returns once the input has been read or
// refused. A step that refuses the input with a KestrelError is the expected
// outcome and is swallowed; any other exception (ProgramExit included)
// escapes to the caller, which reports it as a finding.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "services/FileStack.h"
#include "support/FakePlatform.h"

namespace kestrel {

class CmdList;
class FileBuffer;
class Shared;

namespace fuzz {

class EntryPoints {
public:
    // Image walks start here. Offset 0 ends a walk at once, so the image's
    // first byte is only ever reached through a pointer.
    static constexpr int32_t kWalkStart = 1;

    // Creates the scratch folder, writes the codeset into it and boots it.
    EntryPoints();
    ~EntryPoints();
    EntryPoints(const EntryPoints&) = delete;
    EntryPoints& operator=(const EntryPoints&) = delete;

    // A buffer file: readbuffer into a fresh set, again merged under a
    // prefix, KaScript over what was read, read by the buffer writer's set
    // (any header) with every label's data fetched, the set written back, and
    // the directives kapeek and decode on the file. A file that was read
    // burns with every pointer placeholder patched; the script that decode
    // wrote holds none but the decompiler's own statements and compiles
    // without touching the sentinel file. A breach is a std::logic_error.
    void readbuffer(const std::string& file);
    // Bytecode: CmdList::decode then CmdList::dealias, image and buffer mode.
    void decode(const std::string& bytes);
    // Record data: undraw with and without the stop flag, Draw of the input
    // as a data line and of the lines undraw made.
    void record(const std::string& bytes);
    // An image: kascriptraw from kWalkStart in modes 3, 8 and 9, then the
    // directive "#rawdecode img 0x0 3" and "#rawdecode img 0x1 3", whose
    // scripts are checked and compiled as decode's are.
    void rawdecode(const std::string& image);

    // The file that a planted statement would delete, in the scratch folder.
    static constexpr const char* kSentinel = "sentinel.txt";

    // kascriptraw over `image` from `offset` on a fresh buffer set; the
    // script it made (slot 16). KestrelErrors reach the caller.
    std::string walk(const std::string& image, int32_t offset, int mode);
    // The bytes of `set` as writebuffer writes them (the seeds use it).
    std::string saved(FileBuffer& set);

    // The booted command database (the seeds encode with it).
    CmdList& commands();
    Shared& shared() { return *shared_; }

    // The codeset's headers: "base/includes.ksh" and "fuzz/includes.ksh".
    static const std::string& baseHeader();
    static const std::string& codesetHeader();

private:
    // Files of the scratch folder, by name relative to it.
    void writeScratch(const std::string& name, const std::string& bytes) const;
    std::string readScratch(const std::string& name) const;
    void removeScratch(const std::string& name) const;
    // Opens a scratch file on the file stack; a refusal is the harness's
    // trouble, never an input's, so it is no KestrelError.
    void open(std::string name, OpenMode mode);
    // kascriptraw over the scratch file img.bin (the scratch folder is current).
    std::string walkImage(int32_t offset, int mode);
    // Runs one code line through the engine, as typed at the console.
    void run(const std::string& line);
    // Checks the decompiled script `name` (when one was written) and
    // compiles it on a fresh set; std::logic_error when it holds a foreign
    // statement or compiling it changed the scratch folder.
    void compileDecompiled(const std::string& name);
    // Burns `set` (every pointer target pushed) into a scratch image;
    // std::logic_error when a pointer placeholder is left in its buffers.
    void burnPatchesEveryPlaceholder(FileBuffer& set);

    std::filesystem::path dir_;
    test::FakePlatform platform_;
    std::unique_ptr<Shared> shared_;
};

}  // namespace fuzz
}  // namespace kestrel
