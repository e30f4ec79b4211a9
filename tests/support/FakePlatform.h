#pragma once
// A scripted platform for tests: dialogs answer from queues, boxes are
// recorded, and the critical box throws ProgramExit like the real one.
#include <cstdio>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"
#include "text/KestrelError.h"

namespace kestrel::test {

class FakePlatform : public Platform {
public:
    explicit FakePlatform(std::string home = std::filesystem::temp_directory_path().string())
        : home_(std::move(home)) {}

    std::vector<std::string> boxes;                       // every box shown, as "title|text"
    std::deque<bool> yesNoAnswers;                        // default: No
    std::deque<std::optional<std::string>> inputAnswers;  // default: cancelled
    std::deque<std::string> fileAnswers;                  // default: cancelled
    std::vector<std::string> opened;                      // shellOpen / editor targets
    std::string logDir;                                   // "" = no log file
    // Runs once inside the next box, as a window's message loop dispatches
    // other messages (a forwarded request) while a box is shown.
    std::function<void()> duringBox;
    std::string registryPath;  // "" = no registry store
    std::string executable;    // executablePath()

    void messageBox(const std::string& text, const std::string& title) override {
        runDuringBox();
        boxes.push_back(title + "|" + text);
    }
    void notice(const std::string& text) override { boxes.push_back("Notice:|" + text); }
    bool askYesNo(const std::string& text, const std::string& title) override {
        runDuringBox();
        boxes.push_back(title + "|" + text);
        if (yesNoAnswers.empty()) return false;
        bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title) override {
        runDuringBox();
        boxes.push_back(title + "|" + prompt);
        if (inputAnswers.empty()) return std::nullopt;
        auto answer = inputAnswers.front();
        inputAnswers.pop_front();
        return answer;
    }
    [[noreturn]] void critical(const std::string& text) override {
        boxes.push_back("CRITICAL ERROR|" + text);
        throw ProgramExit{2};
    }
    std::string fileDialog(const FileDialogRequest& request) override {
        boxes.push_back("dialog|" + request.title);
        if (fileAnswers.empty()) return "";
        auto answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
    std::string programDirectory() override { return home_; }
    std::string executablePath() override { return executable; }
    std::string registryFile() override { return registryPath; }
    // One thread at a time in the tests that use it: the lock only has to exist.
    std::unique_ptr<FileLock> waitForLock(const std::string&) override { return std::make_unique<FileLock>(); }
    std::string logDirectory() override { return logDir; }
    std::string resolveExisting(const std::string& name) override {
        std::string native = nativePath(name);
        std::error_code ec;
        return std::filesystem::exists(native, ec) ? native : std::string();
    }
    std::string nativePath(const std::string& name) override {
        std::string out = name;
        for (char& c : out)
            if (c == '\\') c = '/';
        return out;
    }
    bool isAbsolute(const std::string& name) override {
        return std::filesystem::path(nativePath(name)).is_absolute() ||
               (!name.empty() && (name[0] == '/' || name[0] == '\\'));
    }
    std::string shortName(const std::string& path) override { return resolveExisting(path); }
    char separator() const override { return '/'; }
    std::string shellOpen(const std::string& target) override {
        opened.push_back(target);
        return "";
    }
    std::string openTextEditor(const std::string& file) override {
        opened.push_back("editor:" + file);
        return "";
    }
    bool interactive() const override { return false; }

    // The console streams, kept apart as a program's stdout and stderr are.
    bool terminal = false;                 // consoleIsTerminal
    std::string consoleText;               // writeConsole
    int clears = 0;                        // clearConsole
    std::vector<std::string> diagnostics;  // writeDiagnostic
    void writeConsole(std::string_view text) override { consoleText += text; }
    void clearConsole() override { ++clears; }
    void flushConsole() override {}
    bool consoleIsTerminal() override { return terminal; }
    void writeDiagnostic(std::string_view line) override { diagnostics.emplace_back(line); }

    // Files: real copies and renames with std::filesystem, counted; locks
    // shared by every FakePlatform of the process, so that two engines of
    // one test can collide.
    int copies = 0;
    std::unique_ptr<FileLock> lockFile(const std::string& path) override {
        std::error_code ec;
        const std::string key = std::filesystem::weakly_canonical(nativePath(path), ec).string();
        if (!std::filesystem::exists(key, ec)) throw FileError("cannot open '" + path + "'");
        if (!heldLocks().insert(key).second) return nullptr;
        return std::make_unique<HeldLock>(key);
    }
    bool copyToNewFile(const std::string& original, const std::string& copy) override {
        namespace fs = std::filesystem;
        std::error_code ec;
        if (fs::exists(fs::symlink_status(copy, ec))) return false;
        fs::copy_file(original, copy, ec);
        if (!ec) fs::permissions(copy, fs::status(original).permissions(), ec);
        if (ec) {
            fs::remove(copy, ec);
            throw FileError("cannot copy '" + original + "'");
        }
        ++copies;
        return true;
    }
    bool writeNewFile(const std::string& path, std::string_view bytes) override {
        namespace fs = std::filesystem;
        std::error_code ec;
        if (fs::exists(fs::symlink_status(path, ec))) return false;
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (!out) throw FileError("cannot create '" + path + "'");
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
        if (std::fclose(out) != 0 || !written) {
            fs::remove(path, ec);
            throw FileError("cannot write '" + path + "'");
        }
        return true;
    }
    void replaceFile(const std::string& source, const std::string& target) override {
        std::error_code ec;
        std::filesystem::rename(source, target, ec);
        if (ec) throw FileError("cannot replace '" + target + "': " + ec.message());
    }

private:
    void runDuringBox() {
        if (!duringBox) return;
        auto once = std::move(duringBox);
        duringBox = nullptr;
        once();
    }
    static std::set<std::string>& heldLocks() {
        static std::set<std::string> held;
        return held;
    }
    struct HeldLock : FileLock {
        explicit HeldLock(std::string lockKey) : key(std::move(lockKey)) {}
        ~HeldLock() override { heldLocks().erase(key); }
        std::string key;
    };

    std::string home_;
};

}  // namespace kestrel::test
