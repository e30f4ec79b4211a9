#pragma once
// Everything the core asks of the operating system beyond standard C++:
// dialogs, names, the shell. The core sees only this interface; posix/ and
// win32/ implement it, tests use a fake.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileLock.h"
namespace wren {
class WrenObject;
}

namespace kestrel {

struct FileDialogRequest {
    std::string title;
    bool save = false;  // save dialog (ask before overwriting)
    bool mustExist = false;
    bool multiSelect = false;
    unsigned optionBits = 0;  // raw option bits for the numeric mode form
};

class FileTypeSet;
class InstanceChannel;

// One line for the console: typed, or handed over by another start of the
// program (then `directory` is the sender's current directory).
struct ConsoleInput {
    std::string text;
    bool forwarded = false;
    std::string directory;
};

class Platform {
public:
    virtual ~Platform() = default;

    // --- message boxes -------------------------------------------------
    // A plain OK box.
    virtual void messageBox(const std::string& text, const std::string& title) = 0;
    // The system-modal "Notice:" box; returns.
    virtual void notice(const std::string& text) = 0;
    // Yes/No box; true for Yes. Non-interactive runs answer No unless told otherwise.
    virtual bool askYesNo(const std::string& text, const std::string& title) = 0;
    // Input box; nullopt when cancelled or when nobody can answer.
    virtual std::optional<std::string> inputBox(const std::string& prompt, const std::string& title) = 0;
    // The critical-error box; never returns (throws ProgramExit{2} after showing it).
    [[noreturn]] virtual void critical(const std::string& text) = 0;

    // --- files and names ----------------------------------------------
    // Open-file dialog; "" when cancelled. Multiple choice: "dir;a;b".
    virtual std::string fileDialog(const FileDialogRequest& request) = 0;
    // The program's own directory (codesets and the log folder live there).
    virtual std::string programDirectory() = 0;
    // Folder for log files; created if needed. "" when none is writable.
    virtual std::string logDirectory() = 0;
    // The name as the file system has it: separators and, on case-sensitive
    // systems, letter case resolved. "" when nothing by that name exists.
    virtual std::string resolveExisting(const std::string& name) = 0;
    // Native form of a path that may not exist yet (separators only).
    virtual std::string nativePath(const std::string& name) = 0;
    // Whether the name is absolute (the ":" test of drive-letter systems).
    virtual bool isAbsolute(const std::string& name) = 0;
    // A one-word form of an existing path that the file services open again;
    // "" when the path does not exist.
    virtual std::string shortName(const std::string& path) = 0;
    // Path separator used when joining names ("\\" or "/").
    virtual char separator() const = 0;

    // --- replacing files -------------------------------------------------
    // Locks an existing file against other burns of it; nullptr when another
    // holds it. FileError when it cannot be opened.
    virtual std::unique_ptr<FileLock> lockFile(const std::string& path) = 0;
    // Creates `copy` holding the bytes and permissions of `original`. The
    // name must be new: when a file or link of that name exists, nothing is
    // touched and the result is false. FileError for any other failure, with
    // no partial copy left behind.
    virtual bool copyToNewFile(const std::string& original, const std::string& copy) = 0;
    // Puts `source` in place of `target` in one step, once the bytes of
    // `source` are on the disk. FileError when it cannot.
    virtual void replaceFile(const std::string& source, const std::string& target) = 0;
    // Creates `path` holding `bytes` (permissions as for any new file of the
    // user). The name must be new, as for copyToNewFile: when anything has
    // that name, nothing is touched and the result is false. FileError for
    // any other failure, with no partial file left behind.
    virtual bool writeNewFile(const std::string& path, std::string_view bytes) = 0;

    // --- shell ---------------------------------------------------------
    // Open a document with its associated program (argument vector, never a
    // shell string). Returns "" when started, else a note for the log (for
    // example that batch mode skips it).
    virtual std::string shellOpen(const std::string& target) = 0;
    // Open a text file in the plain text viewer/editor; same result as shellOpen.
    virtual std::string openTextEditor(const std::string& file) = 0;

    // Whether a person can answer dialogs (stdin is a terminal / a desktop).
    virtual bool interactive() const = 0;

    // --batch: no box waits for an answer and nothing is started.
    void setBatch(bool batch) { batch_ = batch; }
    // --yes: Yes/No questions answer Yes without asking.
    void setAssumeYes(bool yes) { assumeYes_ = yes; }

    // --- the per-user registry store and the desktop ------------------
    // The running executable's own path (not KESTREL_HOME); "" when unknown.
    virtual std::string executablePath() { return std::string(); }
    // The file that holds the per-user registry store; "" when there is none.
    virtual std::string registryFile() { return std::string(); }
    // Waits for an exclusive lock on `path` (created if needed); nullptr when
    // the file cannot be locked. For short critical sections such as a change
    // of the registry store; burns use lockFile, which never waits.
    virtual std::unique_ptr<FileLock> waitForLock(const std::string& path);
    // The program that opens a text file for editing in registered commands.
    virtual std::string textEditorProgram() { return "notepad.exe"; }
    // Makes the desktop offer the registered verbs of a codeset (files the
    // file manager reads); returns notes for the log, one per line.
    virtual std::vector<std::string> publishFileTypes(const FileTypeSet& types);
    // Removes what publishFileTypes wrote for a codeset.
    virtual std::vector<std::string> withdrawFileTypes(const std::string& codeset);

    // --- one instance per user ------------------------------------------
    // The channel through which starts of `program` find the running one;
    // nullptr when the platform has none or it is unsafe to use.
    virtual std::unique_ptr<InstanceChannel> instanceChannel(const std::string& program);
    // While set, readConsoleInput also returns lines that the channel received.
    void setInstanceChannel(InstanceChannel* channel) { channel_ = channel; }
    // One typed or forwarded line; nullopt at the end of input. Forwarded
    // lines are taken only between typed lines.
    virtual std::optional<ConsoleInput> readConsoleInput(const std::string& prompt);
    // --- the text codec library -----------------------------------------
    // A new object of the wren class named by its class identifier
    // (wren::kHandleLettersClsid, wren::kHandleWordsClsid); the caller
    // releases it. nullptr for an identifier the library does not know. The
    // base calls the library's own factory; Windows goes through COM.
    virtual wren::WrenObject* createCodecObject(const char* classId);

    // --- the console ---------------------------------------------------
    // One line typed at the console (with line editing where available);
    // nullopt at the end of input.
    virtual std::optional<std::string> readConsoleLine(const std::string& prompt);
    // Text for the console; a terminal shows control bytes escaped.
    virtual void writeConsole(std::string_view text);
    // Clears the console screen.
    virtual void clearConsole() {}
    // Flushes what writeConsole buffered.
    virtual void flushConsole();
    // Whether console text reaches a screen that a person watches: an
    // interactive run whose console output is a terminal. Only then are the
    // banner shown and the screen cleared, so batch runs and pipes get the
    // log lines alone.
    virtual bool consoleIsTerminal() { return false; }
    // One diagnostic line ("file:line: message", the error summary) for
    // standard error, after the console text written so far.
    virtual void writeDiagnostic(std::string_view line);

protected:
    InstanceChannel* channel_ = nullptr;
    bool batch_ = false;
    bool assumeYes_ = false;
};

}  // namespace kestrel
