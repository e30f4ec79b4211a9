#pragma once
// The console of kestrel: shows every echoed line and runs typed lines
// through the engine. On a terminal it reads with line editing and history;
// the File menu's actions are console commands that start with "!", which
// the script language ignores, so no script line is ever taken for one.
#include <cstddef>
#include <string>

#include "services/ConsoleSink.h"
#include "services/FileFinder.h"

namespace kestrel {

class Platform;
class Shared;

class Instant : public ConsoleSink {
public:
    explicit Instant(Platform& platform) : platform_(platform) {}

    bool visible() const override { return visible_; }
    void setVisible(bool visible) override { visible_ = visible; }
    void add(const std::string& text) override;
    // Clears the screen only where a person watches it (Platform::consoleIsTerminal).
    void cls() override;
    // Diagnostics go to the platform's diagnostic stream (standard error),
    // also while the console is hidden.
    void diagnostic(const std::string& text) override;
    std::size_t textLength() const override { return length_; }
    void keepLast(std::size_t keep) override { length_ = keep; }

    // The banner: "WELCOME TO KESTREL" and two lines about this console,
    // shown at an interactive terminal only.
    void banner();
    // Reads console lines until the input ends or `!exit`; each line goes to
    // the engine's `pending`, "!" commands run the File menu's actions.
    // Lines forwarded by another start run between typed lines.
    void run(Shared& shared);
    // Runs a line that another start of the program forwarded, in that
    // start's current directory; an empty line only says that we run.
    void runForwarded(Shared& shared, const std::string& text, const std::string& directory);
    // The console commands, for --help and the banner.
    static const char* commandHelp();

private:
    bool runCommand(Shared& shared, const std::string& line);
    void menuDatabase(Shared& shared);
    void menuFile(Shared& shared, FileDialogKind dialog, const std::string& directive);

    Platform& platform_;
    bool visible_ = true;
    std::size_t length_ = 0;
};

}  // namespace kestrel
