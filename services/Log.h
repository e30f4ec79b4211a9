#pragma once
// The log of one program and the console it is shown in: every message goes
// through echo, which writes it to the log file (behind one bar per file open
// above the log) and shows the bare text in the console.
#include <cstddef>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class Platform;
class ConsoleSink;

class Log {
public:
    // Opens "[yyyymmdd-hhmm]<programName>.log" in the platform's log directory
    // and writes "Logging started ...". A log that cannot be opened leaves the
    // program running without a log file.
    Log(Platform& platform, const std::string& programName);
    ~Log();
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

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

    // Files open above the log: each puts one bar in front of the lines
    // logged while it is open. The file stack keeps this up to date.
    void setNesting(std::size_t files) { nesting_ = files; }
    // One line into the log file as it is, without bars (printing to file 1).
    void writeLine(std::string_view text);

    // Flushes and closes the log (before a critical exit).
    void closeLog();
    // Writes what the log holds so far to the file; a long-running window
    // calls it after events that others may want to read there.
    void syncLog();
    // The critical-error box: closes the log, then the platform shows the box
    // and ends the program (throws ProgramExit{2}).
    [[noreturn]] void critical(const std::string& text);
    const std::string& logPath() const { return logPath_; }

    Platform& platform() { return platform_; }

private:
    void logLine(const std::string& text, bool underline, int indent);
    void flushLog();

    Platform& platform_;
    ConsoleSink* console_ = nullptr;
    std::ofstream log_;
    std::string logPath_;
    std::string pending_;  // log text not yet written: lines reach the file in large pieces
    std::size_t nesting_ = 0;
};

}  // namespace kestrel
