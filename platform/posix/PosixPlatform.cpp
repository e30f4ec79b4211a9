#include "platform/posix/PosixPlatform.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/select.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <readline/history.h>
#include <readline/readline.h>

#include "platform/FileTypeSet.h"
#include "platform/InstanceChannel.h"
#include "platform/posix/DesktopFiles.h"
#include "platform/posix/PosixInstanceChannel.h"
#include "platform/posix/TerminalText.h"
#include "text/KestrelError.h"
#include "text/TextKit.h"

extern char** environ;

namespace kestrel {

namespace fs = std::filesystem;

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string trimmed(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string joinFolder(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Names starting with "-" would read as options to the started program.
std::string asArgument(const std::string& target) {
    return !target.empty() && target[0] == '-' ? "./" + target : target;
}

// Files the common dialog's option bits ask for: must exist, multiple
// selection, confirm overwrite.
constexpr unsigned kFileMustExist = 0x1000;
constexpr unsigned kAllowMultiSelect = 0x200;
constexpr unsigned kOverwritePrompt = 0x2;

}  // namespace

PosixPlatform::~PosixPlatform() {
    writePending();
    reapChildren();
}

// --- terminal prompts ----------------------------------------------------

bool PosixPlatform::interactive() const { return !batch_ && isatty(STDIN_FILENO); }

void PosixPlatform::say(const std::string& line) const {
    writePending();
    std::fflush(stdout);  // keep console text and prompts in order
    std::string out = TerminalText::escape(line) + "\n";
    std::fwrite(out.data(), 1, out.size(), stderr);
    std::fflush(stderr);
}

std::optional<std::string> PosixPlatform::prompt(const std::string& text, bool remember) const {
    writePending();
    rl_outstream = stderr;
    std::string shown = TerminalText::escape(text);
    char* line = readline(shown.c_str());
    if (!line) {
        say("");
        return std::nullopt;
    }
    std::string answer(line);
    std::free(line);
    if (remember && !trimmed(answer).empty()) add_history(answer.c_str());
    return answer;
}

bool PosixPlatform::promptYesNo(const std::string& question) const {
    for (;;) {
        auto answer = prompt(question + " [y/N] ", false);
        if (!answer) return false;
        std::string word = textkit::lower(trimmed(*answer));
        if (word == "y" || word == "yes") return true;
        if (word.empty() || word == "n" || word == "no") return false;
    }
}

void PosixPlatform::messageBox(const std::string& text, const std::string& title) {
    say(title + ": " + text);
    if (interactive()) prompt("Press Enter to continue. ", false);
}

void PosixPlatform::notice(const std::string& text) { messageBox(text, "Notice"); }

bool PosixPlatform::askYesNo(const std::string& text, const std::string& title) {
    if (assumeYes_) {
        say(title + ": " + text + " Yes");
        return true;
    }
    if (!interactive()) {
        say(title + ": " + text + " No");
        return false;
    }
    return promptYesNo(title + ": " + text);
}

std::optional<std::string> PosixPlatform::inputBox(const std::string& promptText, const std::string& title) {
    if (!interactive()) {
        say(title + ": " + promptText + " (no answer in batch mode)");
        return std::nullopt;
    }
    say(title);
    return prompt(promptText + " ", true);
}

void PosixPlatform::critical(const std::string& text) {
    say("CRITICAL ERROR: " + text);
    if (interactive()) prompt("Press Enter to end. ", false);
    throw ProgramExit{2};
}

std::optional<std::string> PosixPlatform::readConsoleLine(const std::string& promptText) {
    writePending();
    if (!interactive()) return Platform::readConsoleLine(promptText);
    flushConsole();
    rl_outstream = stdout;
    std::string shown = TerminalText::escape(promptText);
    char* line = readline(shown.c_str());
    if (!line) return std::nullopt;
    std::string answer(line);
    std::free(line);
    if (!trimmed(answer).empty()) add_history(answer.c_str());
    return answer;
}

bool PosixPlatform::stdoutIsTerminal() {
    if (stdoutTerminal_ < 0) stdoutTerminal_ = isatty(STDOUT_FILENO) ? 1 : 0;
    return stdoutTerminal_ == 1;
}

void PosixPlatform::writeConsole(std::string_view text) {
    if (stdoutIsTerminal()) {
        Platform::writeConsole(TerminalText::escapeLines(text));
        return;
    }
    // Not shown to anyone as it comes: collected and written in large pieces.
    pending_.append(text);
    if (pending_.size() >= kPendingChunk) writePending();
}

void PosixPlatform::writePending() const {
    if (pending_.empty()) return;
    std::fwrite(pending_.data(), 1, pending_.size(), stdout);
    pending_.clear();
}

void PosixPlatform::flushConsole() {
    writePending();
    Platform::flushConsole();
}

void PosixPlatform::clearConsole() {
    writePending();
    if (consoleIsTerminal()) Platform::writeConsole("\x1B[H\x1B[2J");
}

bool PosixPlatform::consoleIsTerminal() { return interactive() && stdoutIsTerminal(); }

void PosixPlatform::writeDiagnostic(std::string_view line) {
    writePending();
    std::fflush(stdout);
    std::string out = isatty(STDERR_FILENO) ? TerminalText::escape(line) : std::string(line);
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stderr);
    std::fflush(stderr);
}

std::string PosixPlatform::fileDialog(const FileDialogRequest& request) {
    if (!interactive()) {
        say(request.title + ": no file chosen in batch mode");
        return "";
    }
    bool mustExist = request.mustExist || (request.optionBits & kFileMustExist);
    bool multi = request.multiSelect || (request.optionBits & kAllowMultiSelect);
    bool confirmReplace = request.save || (request.optionBits & kOverwritePrompt);
    say(request.title + (multi ? " (one name per line, an empty line ends)" : " (an empty line cancels)"));

    std::string folder;
    std::vector<std::string> names;
    for (;;) {
        auto answer = prompt("File: ", true);
        std::string entered = answer ? trimmed(*answer) : std::string();
        if (entered.empty()) break;
        if (entered[0] == '~' && (entered.size() == 1 || entered[1] == '/'))
            entered = environment("HOME") + entered.substr(1);
        std::string existing = resolveExisting(entered);
        std::error_code ec;
        if (mustExist && existing.empty()) {
            say("No such file: " + entered);
            continue;
        }
        if (!existing.empty() && fs::is_directory(existing, ec)) {
            say("That is a folder: " + entered);
            continue;
        }
        fs::path full = fs::absolute(existing.empty() ? nativePath(entered) : existing, ec).lexically_normal();
        if (confirmReplace && !existing.empty() && !promptYesNo("Replace " + full.string() + "?")) continue;
        if (!multi) return full.string();
        std::string parent = full.parent_path().string();
        if (names.empty()) folder = parent;
        if (parent != folder) {
            say("Choose files of one folder: " + folder);
            continue;
        }
        names.push_back(full.filename().string());
    }
    if (names.empty()) return "";
    if (names.size() == 1) return joinFolder(folder, names[0]);
    std::string result = folder;
    for (const auto& name : names) result += ";" + name;
    return result;
}

// --- names ---------------------------------------------------------------

PosixPlatform::Home PosixPlatform::findHome() {
    std::string home = environment("KESTREL_HOME");
    if (!home.empty()) return {home, false};
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || !exe.has_parent_path()) {
        fs::path cwd = fs::current_path(ec);
        return {ec ? std::string(".") : cwd.string(), false};
    }
    fs::path folder = exe.parent_path();
#ifdef KESTREL_INSTALLED_HOME
    // An installed program keeps its codesets in the data folder, at the same
    // place relative to the executable wherever the tree was installed.
    fs::path data = (folder / KESTREL_INSTALLED_HOME).lexically_normal();
    if (fs::is_directory(data, ec)) return {data.string(), true};
#endif
    return {folder.string(), false};
}

std::string PosixPlatform::programDirectory() { return findHome().folder; }

bool PosixPlatform::usableFolder(const std::string& folder) {
    if (folder.empty()) return false;
    std::error_code ec;
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec) && access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string PosixPlatform::logDirectory() {
    std::string forced = environment("KESTREL_LOG_DIR");
    if (!forced.empty()) return usableFolder(forced) ? forced : std::string();
    // Logs never go into an installed data folder, even a writable one.
    Home home = findHome();
    if (!home.installed) {
        std::string beside = joinFolder(home.folder, "log");
        if (usableFolder(beside)) return beside;
    }
    std::string state = environment("XDG_STATE_HOME");
    if (state.empty()) {
        std::string userHome = environment("HOME");
        if (!userHome.empty()) state = userHome + "/.local/state";
    }
    if (!state.empty()) {
        std::string folder = state + "/kestrel/log";
        if (usableFolder(folder)) return folder;
    }
    return "";
}

std::string PosixPlatform::withSlashes(std::string_view name) {
    std::string out(name);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

std::string PosixPlatform::resolveCaseless(const std::string& path) {
    std::error_code ec;
    if (path.empty()) return "";
    if (fs::exists(path, ec)) return path;

    std::string built = path[0] == '/' ? "/" : "";
    std::size_t at = 0;
    while (at <= path.size()) {
        std::size_t next = path.find('/', at);
        if (next == std::string::npos) next = path.size();
        std::string part = path.substr(at, next - at);
        at = next + 1;
        if (part.empty()) continue;
        std::string candidate = joinFolder(built, part);
        if (fs::exists(candidate, ec)) {
            built = candidate;
            continue;
        }
        if (part == "." || part == "..") return "";
        std::string match;
        fs::directory_iterator it(built.empty() ? std::string(".") : built, ec);
        if (ec) return "";
        for (; it != fs::directory_iterator(); it.increment(ec)) {
            std::string name = it->path().filename().string();
            if (textkit::equalsIgnoreCase(name, part) && (match.empty() || name < match)) match = name;
        }
        if (match.empty()) return "";
        built = joinFolder(built, match);
    }
    return built;
}

std::string PosixPlatform::resolveExisting(const std::string& name) {
    if (name.empty()) return "";
    std::string native = withSlashes(name);
    std::string found = resolveCaseless(native);
    if (!found.empty()) return found;
    std::string decoded = decodeShortName(native);
    return decoded == native ? std::string() : resolveCaseless(decoded);
}

std::string PosixPlatform::nativePath(const std::string& name) {
    std::string native = withSlashes(name);
    std::string found = resolveCaseless(native);
    if (!found.empty()) return found;
    // A new file: resolve its folder, written plainly or as a short name.
    std::size_t cut = native.rfind('/');
    if (cut == std::string::npos) return native;
    std::string folder = cut == 0 ? "/" : native.substr(0, cut);
    std::string leaf = native.substr(cut + 1);
    std::string resolved = resolveCaseless(folder);
    if (!resolved.empty()) return joinFolder(resolved, leaf);
    std::string decoded = decodeShortName(folder);
    if (decoded != folder) {
        resolved = resolveCaseless(decoded);
        if (!resolved.empty()) return joinFolder(resolved, decodeShortName(leaf));
    }
    return native;
}

bool PosixPlatform::isAbsolute(const std::string& name) { return !name.empty() && (name[0] == '/' || name[0] == '\\'); }

std::string PosixPlatform::encodeShortName(std::string_view path) {
    std::string out;
    for (char c : path) {
        auto byte = static_cast<unsigned char>(c);
        bool plain = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' || c == '.' || c == '_' || c == '-';
        // The tokenizer rewrites "0x" to "&h" anywhere in a word.
        if (c == 'x' && !out.empty() && out.back() == '0') plain = false;
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += textkit::lowerHexDigit(byte >> 4);
            out += textkit::lowerHexDigit(byte);
        }
    }
    return out;
}

std::string PosixPlatform::decodeShortName(std::string_view word) {
    std::string out;
    for (std::size_t i = 0; i < word.size(); ++i) {
        using textkit::hexDigit;
        if (word[i] == '%' && i + 2 < word.size() && hexDigit(word[i + 1]) >= 0 && hexDigit(word[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(word[i + 1]) * 16 + hexDigit(word[i + 2]));
            i += 2;
        } else {
            out += word[i];
        }
    }
    return out;
}

std::string PosixPlatform::shortName(const std::string& path) {
    std::string existing = resolveExisting(path);
    if (existing.empty()) return "";
    std::error_code ec;
    std::string full = fs::absolute(existing, ec).lexically_normal().string();
    if (ec) return "";
    while (full.size() > 1 && full.back() == '/') full.pop_back();
    return encodeShortName(full);
}

// --- shell ---------------------------------------------------------------

void PosixPlatform::reapChildren() {
    children_.erase(
        std::remove_if(children_.begin(), children_.end(), [](int pid) { return waitpid(pid, nullptr, WNOHANG) != 0; }),
        children_.end());
}

std::string PosixPlatform::spawn(const std::vector<std::string>& args, const std::string& target) {
    if (!interactive()) return "not started in batch mode: " + target;
    flushConsole();  // the started program may write to the same output
    reapChildren();
    std::vector<char*> argv;
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int error = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    if (error != 0) return "could not start " + args[0] + ": " + std::strerror(error);
    children_.push_back(pid);
    return "";
}

std::string PosixPlatform::shellOpen(const std::string& target) {
    return spawn({"xdg-open", asArgument(target)}, target);
}

std::string PosixPlatform::openTextEditor(const std::string& file) {
    std::string editor = environment("VISUAL");
    if (trimmed(editor).empty()) editor = environment("EDITOR");
    std::vector<std::string> args;
    std::size_t at = 0;
    while ((at = editor.find_first_not_of(" \t", at)) != std::string::npos) {
        std::size_t end = editor.find_first_of(" \t", at);
        args.push_back(editor.substr(at, end - at));
        at = end;
    }
    if (args.empty()) args.push_back("xdg-open");
    args.push_back(asArgument(file));
    return spawn(args, file);
}

}  // namespace kestrel

namespace kestrel {

namespace {

// flock() on an open descriptor: released when the descriptor closes, also
// when the process dies, so a crash leaves no stale lock.
class PosixFileLock : public FileLock {
public:
    explicit PosixFileLock(int fd) : fd_(fd) {}
    ~PosixFileLock() override { close(fd_); }

private:
    int fd_;
};

}  // namespace

std::string PosixPlatform::executablePath() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

std::string PosixPlatform::registryFile() {
    std::string forced = environment("KESTREL_REGISTRY");
    if (!forced.empty()) return forced;
    std::string config = environment("XDG_CONFIG_HOME");
    if (config.empty()) {
        std::string home = environment("HOME");
        if (home.empty()) return "";
        config = home + "/.config";
    }
    return config + "/kestrel/registry.reg";
}

std::unique_ptr<FileLock> PosixPlatform::waitForLock(const std::string& path) {
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    while (flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            close(fd);
            return nullptr;
        }
    }
    return std::make_unique<PosixFileLock>(fd);
}

std::vector<std::string> PosixPlatform::publishFileTypes(const FileTypeSet& types) {
    return DesktopFiles::fromEnvironment().publish(types);
}

std::vector<std::string> PosixPlatform::withdrawFileTypes(const std::string& codeset) {
    return DesktopFiles::fromEnvironment().withdraw(codeset);
}

std::unique_ptr<InstanceChannel> PosixPlatform::instanceChannel(const std::string& program) {
    return PosixInstanceChannel::open(program);
}

namespace {

// readline's callback interface hands the finished line to a plain function.
struct CallbackLine {
    bool done = false;
    bool ended = false;
    std::string text;
};
CallbackLine* gCallbackLine = nullptr;

void takeCallbackLine(char* line) {
    if (!gCallbackLine) return;
    gCallbackLine->done = true;
    if (!line) {
        gCallbackLine->ended = true;
    } else {
        gCallbackLine->text = line;
        std::free(line);
    }
}

}  // namespace

std::optional<ConsoleInput> PosixPlatform::readConsoleInput(const std::string& promptText) {
    if (!forwarded_.empty()) return takeForwarded();
    if (!channel_ || !interactive()) return Platform::readConsoleInput(promptText);
    writePending();
    flushConsole();
    rl_outstream = stdout;
    const std::string shown = TerminalText::escape(promptText);
    CallbackLine result;
    gCallbackLine = &result;
    rl_callback_handler_install(shown.c_str(), takeCallbackLine);
    if (!stashedLine_.empty()) {
        rl_insert_text(stashedLine_.c_str());
        stashedLine_.clear();
        rl_redisplay();
    }
    std::optional<ConsoleInput> answer;
    while (!answer) {
        bool typed = false;
        std::vector<InstanceChannel::Message> arrived = channel_->service(STDIN_FILENO, -1, typed);
        if (!arrived.empty()) {
            // Put the half-typed line aside; the caller runs the forwarded
            // line and the next call shows the prompt with it again. Lines
            // that arrive together queue up behind the first.
            stashedLine_.assign(rl_line_buffer ? rl_line_buffer : "", static_cast<std::size_t>(rl_end));
            rl_replace_line("", 0);
            rl_redisplay();
            rl_callback_handler_remove();
            std::fputs("\n", stdout);
            for (auto& message : arrived) forwarded_.push_back(std::move(message));
            break;
        }
        if (!typed) continue;
        rl_callback_read_char();
        if (result.done) {
            rl_callback_handler_remove();
            if (result.ended) {
                gCallbackLine = nullptr;
                return std::nullopt;
            }
            if (!trimmed(result.text).empty()) add_history(result.text.c_str());
            answer = ConsoleInput{result.text, false, std::string()};
        }
    }
    gCallbackLine = nullptr;
    if (answer) return answer;
    return takeForwarded();
}

std::optional<ConsoleInput> PosixPlatform::takeForwarded() {
    InstanceChannel::Message message = std::move(forwarded_.front());
    forwarded_.pop_front();
    return ConsoleInput{std::move(message.text), true, std::move(message.directory)};
}

}  // namespace kestrel
