// kestrel at a terminal is the console for the user: a second start hands
// its code line over and ends with 0, the line runs in the sender's folder,
// and after the console is killed the next start takes its place.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A kestrel started in a pseudo-terminal, as a person at a terminal would.
class TerminalProgram {
public:
    TerminalProgram(const std::vector<std::string>& args, const fs::path& folder, const std::vector<std::string>& env) {
        std::vector<std::string> argvText{KESTREL_BINARY};
        argvText.insert(argvText.end(), args.begin(), args.end());
        pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            std::vector<char*> argv;
            for (auto& arg : argvText) argv.push_back(arg.data());
            argv.push_back(nullptr);
            for (const auto& entry : env) putenv(const_cast<char*>(entry.c_str()));
            if (chdir(folder.c_str()) != 0) _exit(126);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    ~TerminalProgram() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (master_ >= 0) close(master_);
    }
    // Reads what the program shows until `text` appears or the program
    // stops writing for a long while.
    bool waitFor(const std::string& text, int times = 1) {
        for (int round = 0; round < 100; ++round) {
            if (count(text) >= times) return true;
            pollfd wait{master_, POLLIN, 0};
            if (poll(&wait, 1, 100) <= 0) continue;
            char chunk[4096];
            ssize_t n = read(master_, chunk, sizeof chunk);
            if (n <= 0) break;
            output_.append(chunk, static_cast<std::size_t>(n));
        }
        return count(text) >= times;
    }
    int count(const std::string& text) const {
        int found = 0;
        for (std::size_t at = output_.find(text); at != std::string::npos; at = output_.find(text, at + 1)) ++found;
        return found;
    }
    void type(const std::string& text) {
        ASSERT_EQ(write(master_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    int wait() {
        waitFor("\x04never");  // drains the terminal until the program is gone
        int status = 0;
        waitpid(pid_, &status, 0);
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    void killHard() {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        exited_ = true;
    }
    const std::string& output() const { return output_; }

private:
    pid_t pid_ = -1;
    int master_ = -1;
    bool exited_ = false;
    std::string output_;
};

class ForwardingTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device seed;
        root_ = fs::temp_directory_path() / ("kestrel-forward-" + std::to_string(seed()) + std::to_string(seed()));
        for (const char* folder : {"run", "console", "sender", "log"}) fs::create_directories(root_ / folder);
        fs::permissions(root_ / "run", fs::perms::owner_all, fs::perm_options::replace);
        env_ = {"XDG_RUNTIME_DIR=" + (root_ / "run").string(), "KESTREL_LOG_DIR=" + (root_ / "log").string(),
                "XDG_CONFIG_HOME=" + (root_ / "config").string(), "TERM=dumb"};
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    bool listening() {
        for (int round = 0; round < 100; ++round) {
            if (fs::exists(root_ / "run" / "kestrel" / "kestrel.sock")) return true;
            usleep(50000);
        }
        return false;
    }
    fs::path root_;
    std::vector<std::string> env_;
};

TEST_F(ForwardingTest, ASecondStartHandsItsLineToTheConsole) {
    TerminalProgram console({}, root_ / "console", env_);
    ASSERT_TRUE(console.waitFor("WELCOME TO KESTREL"));
    ASSERT_TRUE(listening());
    // Half a typed line stays where it was.
    console.type("#who");

    TerminalProgram second({"#md made;#whoami"}, root_ / "sender", env_);
    EXPECT_EQ(second.wait(), 0);
    EXPECT_TRUE(console.waitFor("Forwarded: #md made;#whoami"));
    EXPECT_TRUE(console.waitFor("script compiler and decompiler"));
    EXPECT_TRUE(fs::is_directory(root_ / "sender" / "made")) << "relative names are the sender's";
    EXPECT_FALSE(fs::exists(root_ / "console" / "made"));

    console.type("ami\r");
    EXPECT_TRUE(console.waitFor("script compiler and decompiler", 2)) << console.output();

    // --new-instance runs on its own.
    TerminalProgram own({"--new-instance", "#md own;#exit"}, root_ / "sender", env_);
    EXPECT_EQ(own.wait(), 0);
    EXPECT_TRUE(fs::is_directory(root_ / "sender" / "own"));
    EXPECT_EQ(console.output().find("Forwarded: #md own"), std::string::npos);
}

TEST_F(ForwardingTest, AfterTheConsoleIsKilledTheNextStartTakesOver) {
    {
        TerminalProgram first({}, root_ / "console", env_);
        ASSERT_TRUE(first.waitFor("WELCOME TO KESTREL"));
        ASSERT_TRUE(listening());
        first.killHard();
    }
    ASSERT_TRUE(fs::exists(root_ / "run" / "kestrel" / "kestrel.sock")) << "a crash leaves its socket behind";
    TerminalProgram next({}, root_ / "console", env_);
    ASSERT_TRUE(next.waitFor("WELCOME TO KESTREL"));
    TerminalProgram sender({"#md second"}, root_ / "sender", env_);
    EXPECT_EQ(sender.wait(), 0);
    EXPECT_TRUE(next.waitFor("Forwarded: #md second"));
    // The sender is answered when the console takes the line, before it runs.
    bool made = false;
    for (int round = 0; round < 100 && !made; ++round) {
        made = fs::is_directory(root_ / "sender" / "second");
        if (!made) usleep(50000);
    }
    EXPECT_TRUE(made);
}

}  // namespace
