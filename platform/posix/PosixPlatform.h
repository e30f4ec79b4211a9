#pragma once
// The platform layer on Linux and other POSIX systems.
//
// Decisions:
// - Paths: "\" and "/" both separate components. A name that does not exist
//   as written is resolved case-insensitively, component by component (the
//   first match in name order wins when several differ only in case).
//   isAbsolute: the path starts at the root ("/" or "\").
// - Program directory: the environment variable KESTREL_HOME when set; else
//   the installed data folder <executable dir>/KESTREL_INSTALLED_HOME (for
//   example ../share/kestrel/codesets) when it exists; else the folder of the
//   executable (/proc/self/exe), where the build places the codesets.
// - Log directory: KESTREL_LOG_DIR when set (nothing else is tried when it is
//   unusable); else <program dir>/log when the program directory is not the
//   installed data folder and the log folder can be created and written;
//   else $XDG_STATE_HOME/kestrel/log (default ~/.local/state/kestrel/log).
//   "" when none works: the program then runs without a log file.
// - Short names: POSIX has none, so shortName builds one word instead: the
//   absolute path with every byte outside [a-z0-9/._-] (upper-case letters
//   included) and the "x" of a "0x" written as %xx. The word survives the
//   script tokenizer (lower-casing, the "#" and "0x" rewrites, splitting at
//   ";", " ", "'" and " ="); resolveExisting and nativePath try a name as
//   written first and then its %xx-decoded form.
// - Dialogs: when stdin is a terminal, boxes, Yes/No questions, input boxes
//   and file dialogs are prompts on stderr/stdin (readline with file name
//   completion). Otherwise (or after setBatch(true)) nothing waits: critical
//   prints "CRITICAL ERROR: <text>" and throws ProgramExit{2}; notices and
//   boxes print "<title>: <text>"; Yes/No answers No unless setAssumeYes(true)
//   (--yes); input boxes and file dialogs answer as cancelled.
// - Everything printed to the terminal passes through TerminalText (prompts
//   and boxes on stderr always, console text when stdout is a terminal,
//   diagnostics when stderr is one).
// - The banner and screen clearing need an interactive run whose stdout is a
//   terminal (consoleIsTerminal); a batch run or a pipe never gets escape
//   sequences.
// - shellOpen and openTextEditor start `xdg-open target`, or $VISUAL / $EDITOR
//   (split at blanks, no shell involved), with posix_spawnp and do not wait.
//   In batch mode they start nothing and return "not started in batch mode: "
//   + target.
// - separator() is '/'.
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/InstanceChannel.h"
#include "platform/Platform.h"

namespace kestrel {

class PosixPlatform : public Platform {
public:
    PosixPlatform() = default;
    ~PosixPlatform() override;

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
    char separator() const override { return '/'; }

    std::string shellOpen(const std::string& target) override;
    std::string openTextEditor(const std::string& file) override;

    std::unique_ptr<FileLock> lockFile(const std::string& path) override;
    bool copyToNewFile(const std::string& original, const std::string& copy) override;
    void replaceFile(const std::string& source, const std::string& target) override;
    bool writeNewFile(const std::string& path, std::string_view bytes) override;

    bool interactive() const override;

    // The registry store is $KESTREL_REGISTRY, else
    // $XDG_CONFIG_HOME/kestrel/registry.reg (default ~/.config); locks are
    // flock()s on a lock file beside it. The desktop learns the file types
    // through freedesktop files (DesktopFiles).
    std::string executablePath() override;
    std::string registryFile() override;
    std::unique_ptr<FileLock> waitForLock(const std::string& path) override;
    std::string textEditorProgram() override { return "xdg-open"; }
    std::vector<std::string> publishFileTypes(const FileTypeSet& types) override;
    std::vector<std::string> withdrawFileTypes(const std::string& codeset) override;

    // A Unix-domain socket per user and program (PosixInstanceChannel).
    std::unique_ptr<InstanceChannel> instanceChannel(const std::string& program) override;
    // With a channel set, readline runs from its callback interface so that
    // forwarded lines are taken while the prompt waits; a half-typed line is
    // put back after a forwarded one ran.
    std::optional<ConsoleInput> readConsoleInput(const std::string& prompt) override;

    // The console: readline with history on a terminal, plain lines
    // otherwise; console text is escaped when stdout is a terminal.
    std::optional<std::string> readConsoleLine(const std::string& prompt) override;
    void writeConsole(std::string_view text) override;
    void clearConsole() override;
    void flushConsole() override;
    bool consoleIsTerminal() override;
    // Diagnostics go to stderr after the console text written so far; a
    // terminal sees them escaped like console text.
    void writeDiagnostic(std::string_view line) override;

    // The one-word form of an absolute path and its inverse (see above).
    static std::string encodeShortName(std::string_view path);
    static std::string decodeShortName(std::string_view word);

private:
    static std::string withSlashes(std::string_view name);
    // The existing path, letter case resolved per component; "" when none.
    static std::string resolveCaseless(const std::string& path);
    static bool usableFolder(const std::string& folder);
    // The program directory and whether it is the installed data folder.
    struct Home {
        std::string folder;
        bool installed = false;
    };
    static Home findHome();

    void say(const std::string& line) const;
    std::optional<std::string> prompt(const std::string& text, bool remember) const;
    bool promptYesNo(const std::string& question) const;
    std::string spawn(const std::vector<std::string>& args, const std::string& target);
    void reapChildren();

    std::optional<ConsoleInput> takeForwarded();
    std::deque<InstanceChannel::Message> forwarded_;  // taken, not yet run
    std::string stashedLine_;                         // half-typed console text kept across a forwarded line
    std::vector<int> children_;                       // started programs not yet reaped
    // Whether standard output is a terminal, asked once: the console writes
    // every log line through it.
    int stdoutTerminal_ = -1;
    bool stdoutIsTerminal();
    // Console text for an output that is no terminal, not yet handed to stdio.
    // Anything else the platform writes or reads writes it first.
    static constexpr std::size_t kPendingChunk = 64 * 1024;
    mutable std::string pending_;
    void writePending() const;
};

}  // namespace kestrel
