#include "services/Log.h"

#include <ctime>
#include <exception>

#include "platform/Platform.h"
#include "services/ConsoleSink.h"
#include "services/FileName.h"
#include "text/KestrelError.h"

namespace kestrel {

namespace {

const std::string kCrLf = "\r\n";
// Log text collected before it is written to the log file.
constexpr std::size_t kLogChunk = 64 * 1024;

std::string timeText(const char* format, const std::tm& when) {
    char buffer[64];
    std::size_t length = std::strftime(buffer, sizeof buffer, format, &when);
    return std::string(buffer, length);
}

}  // namespace

Log::Log(Platform& platform, const std::string& programName) : platform_(platform) {
    std::time_t now = std::time(nullptr);
    std::tm when{};
    if (const std::tm* local = std::localtime(&now)) when = *local;
    try {
        std::string folder = platform_.logDirectory();
        if (!folder.empty()) {
            std::string path = FileName::join(folder, "[" + timeText("%Y%m%d-%H%M", when) + "]" + programName + ".log",
                                              platform_.separator());
            log_.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
            if (log_.is_open()) logPath_ = path;
        }
    } catch (const std::exception&) {
        // No log file: the program still runs.
    }
    echo("Logging started" + timeText("%Y-%m-%d %H:%M:%S", when) + kCrLf);
}

Log::~Log() { closeLog(); }

void Log::echo(const std::string& text, bool underline, int indent) {
    if (text.empty()) return;
    if (console_) {
        try {
            if (console_->textLength() > 10000) console_->keepLast(8000);
            if (console_->visible()) {
                console_->add(text);
                if (underline) console_->add(std::string(text.size() - 1, '-'));
            }
        } catch (const std::exception&) {
        }
    }
    logLine(text, underline, indent);
}

void Log::diagnostic(const std::string& text) { diagnostic(text, {}); }

void Log::diagnostic(const std::string& text, const std::vector<std::string>& trail) {
    if (text.empty()) return;
    if (console_) {
        try {
            console_->diagnostic(text);
            for (const std::string& line : trail) console_->diagnostic(line);
        } catch (const std::exception&) {
        }
    }
    logLine(text, false, 0);
}

void Log::logLine(const std::string& text, bool underline, int indent) {
    if (!log_.is_open()) return;
    // A file being opened is counted only after its "#PROCESS" line and a
    // closed one no longer for its summary: the file stack sets the nesting
    // around those lines.
    pending_.append(nesting_, '|');
    if (indent > 0) {
        pending_.append(static_cast<std::size_t>(indent), ' ');
        pending_ += "- ";
    }
    pending_ += text;
    pending_ += kCrLf;
    if (underline) {
        pending_.append(nesting_, '|');
        pending_ += '/';
        pending_.append(text.size() - 1, '-');
        pending_ += kCrLf;
    }
    if (pending_.size() >= kLogChunk) flushLog();
}

void Log::writeLine(std::string_view text) {
    if (!log_.is_open()) return;
    flushLog();
    log_ << text << kCrLf;
}

void Log::flushLog() {
    if (pending_.empty()) return;
    log_.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
    pending_.clear();
}

void Log::cls() {
    if (!console_) return;
    try {
        console_->cls();
    } catch (const std::exception&) {
    }
}

void Log::syncLog() {
    if (!log_.is_open()) return;
    flushLog();
    log_.flush();
}

void Log::closeLog() {
    if (log_.is_open()) {
        flushLog();
        log_.flush();
        log_.close();
    }
}

void Log::critical(const std::string& text) {
    closeLog();
    platform_.critical(text);
    throw ProgramExit{2};  // a platform that returns from its box still ends here
}

}  // namespace kestrel
