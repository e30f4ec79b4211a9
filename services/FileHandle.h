#pragma once
// The file services of one program, as the directives and the console see
// them: a thin object over the parts that do the work, each of which can be
// used alone. Log writes the log and feeds the console; FileStack holds the
// open files and their typed reads and writes; FileFinder finds, chooses and
// shortens names; ShellWords runs the shell words; FileName is the name of
// the file in work; RegistryStore is the per-user registry.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "services/FileFinder.h"
#include "services/FileName.h"
#include "services/FileStack.h"
#include "services/Log.h"
#include "services/ShellWords.h"

namespace kestrel {

class Platform;
class ConsoleSink;
class RegistryStore;

class FileHandle {
public:
    using DataKind = kestrel::DataKind;
    using OpenMode = kestrel::OpenMode;
    static constexpr int kMaxFiles = FileStack::kMaxFiles;

    // Opens the log "[yyyymmdd-hhmm]<programName>.log" as file 1 (see Log).
    FileHandle(Platform& platform, std::string programName);
    ~FileHandle();
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    Log& log() { return log_; }
    FileStack& stack() { return stack_; }
    FileFinder& finder() { return finder_; }
    Platform& platform() { return platform_; }

    // --- the file stack ------------------------------------------------
    // Opens a file as the new current file and returns the name used;
    // nothing when nothing was opened. An empty `name` is chosen in a file
    // dialog; `name` is updated in place when completed or chosen. A file
    // to write that exists is refused, or with `confirm` deleted after a
    // question; a file to read that is missing is reported in a box.
    std::optional<std::string> OpenFile(std::string& name, OpenMode mode, bool confirm = false);
    void closefile() { stack_.closefile(); }
    int fileno() const { return stack_.fileno(); }
    bool fileopen() const { return stack_.fileopen(); }

    FileValue getdata(DataKind kind) { return stack_.getdata(kind); }
    void putdata(DataKind kind, const FileValue& value) { stack_.putdata(kind, value); }
    std::string getText(DataKind kind) { return stack_.getText(kind); }
    int32_t getNumber(DataKind kind) { return stack_.getNumber(kind); }
    void putNumber(DataKind kind, int32_t value) { stack_.putNumber(kind, value); }
    void putText(DataKind kind, std::string_view text) { stack_.putText(kind, text); }
    std::string getBlock(std::size_t count) { return stack_.getBlock(count); }
    void getLine(std::string& line) { stack_.getLine(line); }
    std::size_t readBytes(char* out, std::size_t count) { return stack_.readBytes(out, count); }
    void syncData() { stack_.syncData(); }
    void SeekData(int32_t offset) { stack_.SeekData(offset); }
    int32_t fPos() { return stack_.fPos(); }
    int32_t fLen() { return stack_.fLen(); }
    bool ENDOF() { return stack_.ENDOF(); }
    int lineno() const { return stack_.lineno(); }
    void setLineno(int value) { stack_.setLineno(value); }
    std::string currentFileName() const { return stack_.currentFileName(); }
    std::vector<std::string> includers() const { return stack_.includers(); }

    // --- the name of the file in work ------------------------------------
    // fullpath: the current directory + name + "." + extension ("" without a
    // name); directory: the current directory of the process.
    std::string filename(NamePart part) const;
    // fullpath takes the value apart and makes its folder the current one.
    void setFilename(NamePart part, const std::string& value);
    // dir + separator + name + "." + ext, each empty argument first replaced
    // (in place) by the stored part.
    std::string filename_get(std::string& dir, std::string& name, std::string& ext) const;
    const std::string& directory() const { return current_.directory; }
    const std::string& extension() const { return current_.extension; }

    bool exist(std::string& name, bool ask, bool confirm) { return finder_.exist(name, ask, confirm); }
    std::string getfile(FileDialogKind kind, bool shortResult = false) { return finder_.getfile(kind, shortResult); }
    std::string shortenname(const std::string& path) { return finder_.shortenname(path); }
    void ShrinkName(std::string& text) { finder_.ShrinkName(text); }

    // --- log and console -----------------------------------------------
    void echo(const std::string& text, bool underline = false, int indent = 0) { log_.echo(text, underline, indent); }
    void diagnostic(const std::string& text) { log_.diagnostic(text); }
    void diagnostic(const std::string& text, const std::vector<std::string>& trail) { log_.diagnostic(text, trail); }
    void cls() { log_.cls(); }
    void setConsole(ConsoleSink* console) { log_.setConsole(console); }
    ConsoleSink* console() const { return log_.console(); }
    void closeLog() { log_.closeLog(); }
    void syncLog() { log_.syncLog(); }
    [[noreturn]] void critical(const std::string& text) { log_.critical(text); }
    std::string logPath() const { return log_.logPath(); }

    // --- shell words ---------------------------------------------------
    std::string Dos(const std::string& word, std::string& argument) { return shell_.Dos(word, argument); }

    // --- registry (the per-user store of RegistryStore) ----------------
    // Each answers whether it did what was asked; registry().lastError()
    // says why not.
    bool CreateNewKey(const std::string& path, const std::string& value);
    // "" when the key or value cannot be read.
    std::string GetKeyValue(const std::string& path, const std::string& valuename = std::string());
    bool SetKeyValue(const std::string& path, const std::string& valuename, const std::string& value, int type);
    bool DeleteRegKey(const std::string& path);
    // Names each followed by one NUL; "" when the key cannot be opened or has none.
    std::string EnumRegKeys(const std::string& path);
    std::string EnumRegValues(const std::string& path);
    RegistryStore& registry();

private:
    Platform& platform_;
    std::string programName_;
    Log log_;
    FileStack stack_;
    FileFinder finder_;
    ShellWords shell_;
    FileName current_;
    std::unique_ptr<RegistryStore> registry_;
};

}  // namespace kestrel
