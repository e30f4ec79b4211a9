#pragma once
// The file services of one program: the stack of open files (the log is file
// 1), typed reads and writes, file names and dialogs, the log and echo, and
// the shell words.
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kestrel {

class Platform;
class ConsoleSink;
class RegistryStore;

// What getdata returns and putdata takes: nothing, a number or a text.
using FileValue = std::variant<std::monostate, int32_t, std::string>;

class FileHandle {
public:
    static constexpr int kMaxFiles = 16;

    // Opens the log "[yyyymmdd-hhmm]<programName>.log" in the platform's log
    // directory as file 1 and writes "Logging started ...". A log that cannot
    // be opened leaves the program running without a log file.
    FileHandle(Platform& platform, std::string programName);
    ~FileHandle();
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // --- the file stack ------------------------------------------------
    // Opens a file as the new current file; returns the name used, or "" when
    // nothing was opened. `name` is updated in place when completed or chosen.
    std::string OpenFile(std::string& name, const std::string& mode, bool confirm = false);
    void closefile();
    int fileno() const { return fileno_; }
    bool fileopen() const { return fileno_ > 1; }

    // Field kinds of getdata/putdata. A kind text names one (case does not
    // matter) and may carry an argument after a colon ("block:500").
    enum class DataKind : uint8_t { line, value, byte, word, dword, string, block, megablock, other };
    static DataKind dataKind(std::string_view kind, std::string& argument);

    FileValue getdata(const std::string& kind);
    void putdata(const std::string& kind, const FileValue& value);
    FileValue getdata(DataKind kind, const std::string& argument = std::string());
    void putdata(DataKind kind, const FileValue& value);
    // Conveniences over getdata for callers that know the kind's type.
    std::string getText(const std::string& kind);
    int32_t getNumber(const std::string& kind);
    // The same for a known kind; byte, word, dword and string fields go to
    // the file without a FileValue or a kind text in between.
    std::string getText(DataKind kind);
    // The next line of the current file into `line`, reusing its storage
    // (what getText(DataKind::line) gives).
    void getLine(std::string& line);
    int32_t getNumber(DataKind kind);
    void putNumber(DataKind kind, int32_t value);
    void putText(DataKind kind, std::string_view text);

    // Up to `count` bytes of the current file into `out`, without a text in
    // between (large binary reads); fewer only at its end. Counts as one getdata.
    std::size_t readBytes(char* out, std::size_t count);

    // Hands the current file's buffered writes to the system; FormatError
    // when they cannot be written (a full disk).
    void syncData();
    void SeekData(int32_t offset);
    int32_t fPos();
    int32_t fLen();
    bool ENDOF();

    // Line counter of the current file (physical lines read so far).
    int lineno() const;
    void setLineno(int value);
    // Full name of the current (top) file as opened, for diagnostics; "" for the log.
    std::string currentFileName() const;
    // Where the current script was included from: "name:line" of each script
    // below it that is reading it, innermost first, up to the first file on
    // the stack that is no script. Empty when the current file is no script.
    std::vector<std::string> includers() const;

    // --- names ---------------------------------------------------------
    std::string filename(const std::string& kind) const;
    void setFilename(const std::string& kind, const std::string& value);
    std::string filename_get(std::string& dir, std::string& name, std::string& ext) const;
    const std::string& directory() const { return directory_; }
    const std::string& extension() const { return extension_; }

    bool exist(std::string& name, bool ask, bool confirm);
    std::string getfile(const std::string& mode);
    std::string shortenname(const std::string& path);
    void ShrinkName(std::string& text);

    // --- log and console -----------------------------------------------
    void echo(const std::string& text, bool underline = false, int indent = 0);
    // A line a user acts on ("file:line: message", the error summary): the
    // log gets it like an echo, the console hands it to its diagnostic
    // channel (standard error in kestrel), hidden or not.
    void diagnostic(const std::string& text);
    // The same with lines that follow the text on the console's diagnostic
    // channel only (the files that included the current one); the log keeps
    // one line per diagnostic.
    void diagnostic(const std::string& text, const std::vector<std::string>& trail);
    void cls();
    void setConsole(ConsoleSink* console) { console_ = console; }
    ConsoleSink* console() const { return console_; }
    // Flushes and closes the log (before a critical exit).
    void closeLog();
    // Writes what the log holds so far to the file; a long-running window
    // calls it after events that others may want to read there.
    void syncLog();
    // The critical-error box: closes the log, then the platform shows the box
    // and ends the program (throws ProgramExit{2}).
    [[noreturn]] void critical(const std::string& text);
    std::string logPath() const { return logPath_; }

    // --- shell words ---------------------------------------------------
    std::string Dos(const std::string& word, std::string& argument);

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

    Platform& platform() { return platform_; }

private:
    struct OpenEntry;
    OpenEntry& top();
    const OpenEntry* topOrNull() const;
    std::string readValue(OpenEntry& file);
    static int32_t readNumber(OpenEntry& file, DataKind kind);
    static std::string readString(OpenEntry& file);
    static void writeNumber(OpenEntry& file, DataKind kind, double value);
    static void writeString(OpenEntry& file, std::string_view text);
    std::string currentDirectory() const;
    std::string joinPath(const std::string& folder, const std::string& name) const;
    std::string absoluteArgument(const std::string& argument) const;
    std::string dosWord(const std::string& word, std::string& argument);

    Platform& platform_;
    std::unique_ptr<RegistryStore> registry_;
    std::string programName_;
    std::string logLine_;  // log text not yet written: echo writes it in large pieces
    void flushLog();
    void logLine(const std::string& text, bool underline, int indent);
    ConsoleSink* console_ = nullptr;
    std::ofstream log_;
    std::string logPath_;
    std::vector<std::unique_ptr<OpenEntry>> stack_;  // files 2..fileno
    int fileno_ = 1;
    int logLines_ = 0;
    std::string name_;
    std::string directory_;
    std::string extension_;
};

} // namespace kestrel
