#pragma once
// The Windows platform layer: real message boxes, the common file dialog,
// short (8.3) names and the shell, all through the ANSI entry points so that
// every byte of a text reaches Windows unchanged.
//
// Decisions:
// - Paths: "/" and "\" both separate; nativePath turns "/" into "\". A name
//   is absolute when it holds a ":" (drive letter) or starts with a separator
//   (rooted or UNC), so it is never joined onto the program directory.
// - Program directory: the folder of the executable; env KESTREL_HOME wins.
// - Log directory: env KESTREL_LOG_DIR, else <program dir>\log, else
//   %LOCALAPPDATA%\Kestrel\log; the first one that can be created and written
//   is used, "" when none can.
// - Batch mode (off unless set): no box ever waits. The critical box becomes
//   "CRITICAL ERROR: text" on stderr followed by ProgramExit{2}; plain boxes
//   and notices go to stderr as "title: text"; Yes/No answers No (Yes when
//   assume-yes is set); input boxes and file dialogs are cancelled; nothing is
//   started by the shell or the editor.
// - The text editor is the system's notepad.exe, started with an argument
//   vector (never through cmd.exe) from the system folder by full path, so a
//   notepad.exe lying in the current folder is never picked up.
// - wren: its classes are created with CoCreateInstance, as any COM client
//   would, and reach the core through adapters (WrenComLetters,
//   WrenComWords); wren.dll must be registered (regsvr32 wren.dll).
// windows.h stays inside this folder: the header declares no Windows types.
#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace kestrel {

class Win32Platform : public Platform {
public:
    Win32Platform() = default;

    void messageBox(const std::string& text, const std::string& title) override;
    void notice(const std::string& text) override;
    bool askYesNo(const std::string& text, const std::string& title) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title) override;
    [[noreturn]] void critical(const std::string& text) override;

    std::string fileDialog(const FileDialogRequest& request) override;
    std::string programDirectory() override;
    std::string logDirectory() override;
    std::string resolveExisting(const std::string& name) override;
    std::string nativePath(const std::string& name) override;
    bool isAbsolute(const std::string& name) override;
    std::string shortName(const std::string& path) override;
    char separator() const override { return '\\'; }

    std::string shellOpen(const std::string& target) override;
    std::string openTextEditor(const std::string& file) override;

    std::unique_ptr<FileLock> lockFile(const std::string& path) override;
    bool copyToNewFile(const std::string& original, const std::string& copy) override;
    void replaceFile(const std::string& source, const std::string& target) override;
    bool writeNewFile(const std::string& path, std::string_view bytes) override;

    bool interactive() const override { return !batch_; }
    // The console is a character device (a console window), not a file or pipe.
    bool consoleIsTerminal() override;

    // LockFileEx on the whole file; released when the handle closes.
    std::unique_ptr<FileLock> waitForLock(const std::string& path) override;

    // wren's classes through COM by class identifier; a server that is not
    // registered is a critical error that says how to register it.
#ifdef KESTREL_WIN32_COM
    wren::WrenObject* createCodecObject(const char* classId) override;
#endif

    // One argument of a command line, quoted so that the usual Windows
    // command-line parsing gives back exactly `argument`.
    static std::string quoteArgument(const std::string& argument);
    // The open-file dialog's option bits for a request.
    static unsigned dialogFlags(const FileDialogRequest& request);
    // The dialog's result buffer ("path" or "dir\0a\0b", ended by two NULs)
    // as "path" or "dir;a;b".
    static std::string joinDialogResult(const std::string& buffer);
};

}  // namespace kestrel
