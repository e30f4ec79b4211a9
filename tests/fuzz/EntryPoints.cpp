#include "EntryPoints.h"

#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <stdexcept>
#include <system_error>

#include "buffers/FileBuffer.h"
#include "buffers/Record.h"
#include "commands/CmdList.h"
#include "engine/Control.h"
#include "engine/Shared.h"
#include "services/FileHandle.h"
#include "services/FileStackGuard.h"
#include "support/CurrentDirectory.h"
#include "support/ScriptScan.h"
#include "text/KestrelError.h"

namespace kestrel::fuzz {

namespace fs = std::filesystem;

namespace {

// Runs one step; a KestrelError is the input being refused, which is fine.
template <class Step>
void attempt(Step&& step) {
    try {
        step();
    } catch (const KestrelError&) {
    }
}

fs::path freshFolder() {
    std::random_device random;
    const fs::path dir =
        fs::temp_directory_path() / ("kestrel-fuzz-" + std::to_string(random()) + "-" + std::to_string(random()));
    fs::create_directories(dir);
    return dir;
}

}  // namespace

const std::string& EntryPoints::baseHeader() {
    static const std::string text =
        "' Character table of the fuzz codeset: a finish marker, code names, brackets.\n"
        "#addctrl ~ finish\n"
        "#addctrl @ hash\n"
        "#addctrl @x hex\n"
        "#addctrl [ start\n"
        "#addctrl ] end\n"
        "#addhash @p 0xF0\n"
        "#addhash [player] 0xF1\n"
        "#addtext ~ 0xFF\n"
        "#addtext A 0x41\n"
        "#addtext B 0x42\n"
        "#addtext C 0x43\n"
        "#addtext ! 0x01\n";
    return text;
}

// Every parameter type (0 to 13 and one far above), fixed, mask, select and
// bind specifications, a self-binding command, an end mark in the middle of
// a parameter list, and aliases, two of them filed under code keys that a
// byte also has: "fa" (byte FA starts the alias tap) and "20" (an alias of
// nothing but an end mark).
const std::string& EntryPoints::codesetHeader() {
    static const std::string text =
        "#addcmmd end 0x00\n#addparm 4\n"
        "#addcmmd wait 0x01\n#addparm 0\n"
        "#addcmmd flag 0x02\n#addparm 1\n"
        "#addcmmd money 0x04\n#addparm 2\n"
        "#addcmmd goto 0x05\n#addparm 3\n"
        "#addcmmd call 0x06\n#addparm 3\n"
        "#addcmmd if 0x07\n#addparm 1\n#addparm 3\n"
        "#addcmmd say 0x08\n#addparm 8\n"
        "#addcmmd walk 0x09\n#addparm 0\n#addparm 9\n"
        "#addcmmd face 0x0A\n#addparm 0\n#addparm 0\n"
        "#addcmmd choice 0x0B\n#addparm 5\n"
        "#addcmmd pad 0x0C\n#addparm 6 0\n"
        "#addcmmd pause 0x0D\n#addparm 7 wait\n#addparm 0\n"
        "#addcmmd music 0x0E\n#addparm 0 select(0x40,0x41,0x42,0x43)\n"
        "#addcmmd menu 0x0F\n#addparm 0 bind(1,2)menuitems\n"
        "#addcmmd sound 0x10\n#addparm 0\n#addparm 0 0x7F\n"
        "#addcmmd label 0x11\n#addparm 10\n"
        "#addcmmd user 0x12\n#addparm 11\n#addparm 12\n#addparm 13\n"
        "#addcmmd repeat 0x13\n#addparm 0 bind(*)repeat\n"
        "#addcmmd stamp 0x14\n#addparm 6 0xff00\n#addparm 0 mask(0x20)\n"
        "#addcmmd halt 0x15\n#addparm 0\n#addparm 4\n#addparm 0\n"
        "#addcmmd odd 0x16\n#addparm 7 0x99\n#addparm 0\n"
        "#addcmmd wide 0x17\n#addparm 200\n"
        "#addcmmd menuitems 0x1F\n#addparm 0\n#addparm 0\n"
        "#alias turnleft $1\n#addparm 7 face\n#addparm 0\n#addparm 0 1\n"
        "#alias show $1 at $2\n#addparm 7 flag\n#addparm 0\n#addparm 0\n"
        "#alias hop $1\n#addparm 7 goto\n#addparm 3\n"
        "#addcmmd fa 0x3A\n#addparm 0\n"
        "#alias tap $1\n#addparm 7 fa\n#addparm 0\n"
        "#alias nothing\n#addparm 4 20\n"
        "#do\n";
    return text;
}

EntryPoints::EntryPoints() : dir_(freshFolder()), platform_(dir_.string()) {
    writeScratch("base/includes.ksh", baseHeader());
    writeScratch("fuzz/includes.ksh", codesetHeader());
    shared_ = std::make_unique<Shared>(platform_, nullptr);
    test::CurrentDirectory scratch(dir_);
    run("#boot fuzz");
    if (shared_->gEngine->errorCount() != 0 || shared_->gEngine->codeset() != "fuzz")
        throw std::runtime_error("the fuzz codeset did not load");
    writeScratch(kSentinel, "still here");
}

EntryPoints::~EntryPoints() {
    shared_.reset();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

CmdList& EntryPoints::commands() { return *shared_->gCmds; }

void EntryPoints::writeScratch(const std::string& name, const std::string& bytes) const {
    const fs::path path = dir_ / name;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string EntryPoints::readScratch(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void EntryPoints::removeScratch(const std::string& name) const {
    std::error_code ignored;
    fs::remove(dir_ / name, ignored);
}

void EntryPoints::open(std::string name, FileHandle::OpenMode mode) {
    if (!shared_->gFiles->OpenFile(name, mode))
        throw std::runtime_error("the harness cannot open " + name + " for " + FileStack::modeWord(mode));
}

void EntryPoints::run(const std::string& line) { shared_->gEngine->pending(line); }

std::string EntryPoints::saved(FileBuffer& set) {
    test::CurrentDirectory scratch(dir_);
    FileStackGuard opened(shared_->gFiles->stack());
    removeScratch("saved.buf");
    open("saved.buf", FileHandle::OpenMode::write);
    set.writebuffer();
    opened.closeAll();
    return readScratch("saved.buf");
}

void EntryPoints::readbuffer(const std::string& file) {
    test::CurrentDirectory scratch(dir_);
    FileStackGuard opened(shared_->gFiles->stack());
    writeScratch("in.buf", file);

    // What a reader accepts burns with every placeholder patched.
    {
        FileBuffer burnt(*shared_->gFiles, shared_->autobank);
        open("in.buf", FileHandle::OpenMode::read);
        bool read = false;
        attempt([&] {
            burnt.readbuffer("");
            read = true;
        });
        opened.closeAll();
        if (read) burnPatchesEveryPlaceholder(burnt);
    }

    // Into the engine's set, so that KaScript decompiles what was read.
    shared_->replaceBuffers();
    FileBuffer& set = *shared_->gBuffers;
    for (const char* merge : {"", "m"}) {
        open("in.buf", FileHandle::OpenMode::read);
        attempt([&] { set.readbuffer(merge); });
        opened.closeAll();
    }
    attempt([&] { shared_->gEngine->KaScript(); });

    // The buffer writer's set reads a file of any header.
    FileBuffer plover(*shared_->gFiles, shared_->autobank, "Plover");
    open("in.buf", FileHandle::OpenMode::read);
    attempt([&] { plover.readbuffer(""); });
    opened.closeAll();
    for (int b = 0; b < FileBuffer::kDataBuffers; ++b)
        for (int32_t i = 1; i <= plover.count(b); ++i) plover.Get_Data(i, b);

    // What was read must also write back (or be refused by the writer's checks).
    removeScratch("out.buf");
    open("out.buf", FileHandle::OpenMode::write);
    attempt([&] { set.writebuffer(); });
    opened.closeAll();

    // The directives themselves, on a fresh set each.
    shared_->replaceBuffers();
    run("#kapeek in.buf Merged");
    shared_->replaceBuffers();
    removeScratch("in.ksc");
    run("#decode in.buf");
    compileDecompiled("in.ksc");
    removeScratch("in.ksc");
}

void EntryPoints::burnPatchesEveryPlaceholder(FileBuffer& set) {
    FileStackGuard opened(shared_->gFiles->stack());
    // Pushed targets never ask for an address (nobody would answer).
    for (const auto& pointer : set.pointers().items()) set.pushoffsett(pointer->name, 0x100);
    writeScratch("burn.bin", std::string());
    open("burn.bin", FileHandle::OpenMode::read);
    attempt([&] { set.burnbuffer(); });
    opened.closeAll();
    removeScratch("burn.bin");
    for (int b = 0; b < FileBuffer::kDataBuffers; ++b)
        if (set.buffer(b).find("!PTR") != std::string::npos)
            throw std::logic_error("buffer " + std::to_string(b) + " still holds a pointer placeholder after the burn");
}

void EntryPoints::compileDecompiled(const std::string& name) {
    const std::string script = readScratch(name);
    if (script.empty()) return;
    const std::vector<std::string> foreign = test::ScriptScan::foreignStatements(script);
    if (!foreign.empty()) throw std::logic_error("the decompiled script holds the statement '" + foreign.front() + "'");

    auto listing = [this] {
        std::set<std::string> entries;
        for (const auto& entry : fs::recursive_directory_iterator(dir_)) entries.insert(entry.path().string());
        return entries;
    };
    writeScratch("check.ksc", script);
    removeScratch("check.buf");
    const std::set<std::string> before = listing();
    shared_->replaceBuffers();
    FileStackGuard opened(shared_->gFiles->stack());
    run("#encode check.ksc");
    opened.closeAll();
    test::CurrentDirectory scratch(dir_);
    removeScratch("check.buf");
    if (readScratch(kSentinel) != "still here")
        throw std::logic_error("compiling the decompiled script removed the sentinel");
    if (listing() != before) throw std::logic_error("compiling the decompiled script changed the scratch folder");
    removeScratch("check.ksc");
}

void EntryPoints::decode(const std::string& bytes) {
    CmdList& cmds = commands();
    for (const bool image : {true, false}) {
        std::string code = bytes;
        std::string mask;
        cmds.decode(code, mask, image);
        attempt([&] { cmds.dealias(code, mask); });
    }
}

void EntryPoints::record(const std::string& bytes) {
    Record& record = *shared_->gRecord;
    std::string lines;
    for (const bool stopAtFF : {false, true}) {
        lines = bytes;
        record.undraw(lines, stopAtFF);
    }
    std::string list;
    std::string text = bytes;
    attempt([&] { record.Draw(text, list); });

    // The lines undraw made compile again as data lines (without their "#").
    std::size_t start = 0;
    while (start < lines.size()) {
        std::size_t end = lines.find("\r\n", start);
        if (end == std::string::npos) end = lines.size();
        std::string line = lines.substr(start, end - start);
        if (!line.empty() && line[0] == '#') line.erase(0, 1);
        attempt([&] { record.Draw(line, list); });
        start = end + 2;
    }
}

std::string EntryPoints::walk(const std::string& image, int32_t offset, int mode) {
    test::CurrentDirectory scratch(dir_);
    writeScratch("img.bin", image);
    return walkImage(offset, mode);
}

std::string EntryPoints::walkImage(int32_t offset, int mode) {
    FileStackGuard opened(shared_->gFiles->stack());
    shared_->replaceBuffers();
    open("img.bin", FileHandle::OpenMode::read);
    shared_->gEngine->kascriptraw(offset, mode);
    opened.closeAll();
    return shared_->gBuffers->buffer(16);
}

void EntryPoints::rawdecode(const std::string& image) {
    test::CurrentDirectory scratch(dir_);
    writeScratch("img.bin", image);
    for (const int mode : {3, 8, 9}) attempt([&] { walkImage(kWalkStart, mode); });

    // The directive, which names its script after the offset: img0.ksc, img1.ksc.
    FileStackGuard opened(shared_->gFiles->stack());
    for (const char* offset : {"0x0", "0x1"}) {
        shared_->replaceBuffers();
        run(std::string("#rawdecode img.bin ") + offset + " 3");
    }
    for (const char* script : {"img0.ksc", "img1.ksc"}) {
        compileDecompiled(script);
        removeScratch(script);
    }
}

}  // namespace kestrel::fuzz
