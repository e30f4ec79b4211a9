#pragma once
// Everything the core asks of the operating system beyond standard C++:
// dialogs, names, the shell. The core sees only this interface; posix/ and
// win32/ implement it, tests use a fake.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wren {
class WrenObject;
}

namespace kestrel {

struct FileDialogRequest {
    std::string title;
    bool save = false;          // save dialog (ask before overwriting)
    bool mustExist = false;
    bool multiSelect = false;
    unsigned optionBits = 0;    // raw option bits for the numeric mode form
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

protected:
    bool batch_ = false;
    bool assumeYes_ = false;
};

} // namespace kestrel
