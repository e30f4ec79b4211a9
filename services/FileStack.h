#pragma once
// The stack of open files: every open pushes, every close pops, and reads,
// writes and seeks go to the file on top. The log is file 1 and stays below
// the stack; files 2 and up are the stack's own.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kestrel {

class Log;
class Platform;

// What getdata returns and putdata takes: nothing, a number or a text.
using FileValue = std::variant<std::monostate, int32_t, std::string>;

// Field kinds of getdata and putdata. Binary numbers are little-endian: byte
// (unsigned), word (signed 16-bit), dword (signed 32-bit); string is a tagged
// text (tag 8, 16-bit length, the bytes); block is raw bytes; line is a text
// line; value a comma- or line-delimited field; megablock reads and writes
// nothing.
enum class DataKind : uint8_t { line, value, byte, word, dword, string, block, megablock };

// How a file is opened. input and script read text (script is input for the
// line loop, logged as "Input"); output writes text into an emptied file;
// read and write open a binary file for reading and writing (write creates
// it, read falls back to reading only).
enum class OpenMode : uint8_t { input, script, output, read, write };

class FileStack {
public:
    static constexpr int kMaxFiles = 16;

    FileStack(Log& log, Platform& platform);
    ~FileStack();
    FileStack(const FileStack&) = delete;
    FileStack& operator=(const FileStack&) = delete;

    // Logs "#PROCESS: name F:n for mode" and opens `name` (a path that was
    // checked or chosen already) as the new top file. False when the file
    // cannot be opened; nothing is pushed then.
    bool push(const std::string& name, OpenMode mode);
    bool full() const { return fileno() >= kMaxFiles; }
    // Closes the top file and logs its line count; nothing when only the log is open.
    void closefile();
    int fileno() const { return static_cast<int>(stack_.size()) + 1; }
    bool fileopen() const { return !stack_.empty(); }

    // The word the log shows for a mode, and whether the mode writes.
    static const char* modeWord(OpenMode mode);
    static bool writes(OpenMode mode);

    // One field of the top file; every getdata counts in the file's line
    // counter, putdata does not. With only the log open, a line written goes
    // into the log itself.
    FileValue getdata(DataKind kind);
    void putdata(DataKind kind, const FileValue& value);
    // Conveniences for callers that know the kind's type; byte, word, dword
    // and string fields go to the file without a FileValue in between.
    std::string getText(DataKind kind);
    int32_t getNumber(DataKind kind);
    void putNumber(DataKind kind, int32_t value);
    void putText(DataKind kind, std::string_view text);
    // `count` bytes (a block field); throws FormatError when the file ends
    // first. A count of 0 reads up to 1000 bytes, fewer at the file's end.
    std::string getBlock(std::size_t count);
    // The next line of the top file into `line`, reusing its storage.
    void getLine(std::string& line);
    // Up to `count` bytes of the top file into `out`, without a text in
    // between (large binary reads); fewer only at its end. Counts as one getdata.
    std::size_t readBytes(char* out, std::size_t count);

    // Hands the top file's buffered writes to the system; FormatError when
    // they cannot be written (a full disk).
    void syncData();
    // A negative offset does not move the file; it is logged instead.
    void SeekData(int32_t offset);
    int32_t fPos();
    int32_t fLen();
    bool ENDOF();

    // Line counter of the top file (physical lines read so far).
    int lineno() const;
    void setLineno(int value);
    // Full name of the top file as opened, for diagnostics; "" for the log.
    std::string currentFileName() const;
    // Where the current script was included from: "name:line" of each script
    // below it that is reading it, innermost first, up to the first file on
    // the stack that is no script. Empty when the current file is no script.
    std::vector<std::string> includers() const;

private:
    struct OpenEntry;
    OpenEntry& top();
    const OpenEntry* topOrNull() const;
    static std::string readValue(OpenEntry& file);
    static int32_t readNumber(OpenEntry& file, DataKind kind);
    static std::string readString(OpenEntry& file);
    static void writeNumber(OpenEntry& file, DataKind kind, double value);
    static void writeString(OpenEntry& file, std::string_view text);

    Log& log_;
    Platform& platform_;
    std::vector<std::unique_ptr<OpenEntry>> stack_;  // files 2..fileno
    int logLines_ = 0;                               // the counter of file 1
};

}  // namespace kestrel
