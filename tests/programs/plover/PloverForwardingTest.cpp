// plover's window is the one instance for the user: a second start hands its
// files over and ends with 0, --execute appends to the running window's
// queue, and without a window --execute ends with 1.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A program run in a folder with extra environment, its output in a file.
class Program {
public:
    Program(const std::vector<std::string>& argvText, const fs::path& folder, const std::vector<std::string>& env,
            const fs::path& output) {
        pid_ = fork();
        if (pid_ == 0) {
            std::vector<std::string> args = argvText;
            std::vector<char*> argv;
            for (auto& arg : args) argv.push_back(arg.data());
            argv.push_back(nullptr);
            for (const auto& entry : env) putenv(const_cast<char*>(entry.c_str()));
            const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (out < 0 || chdir(folder.c_str()) != 0) _exit(126);
            dup2(out, 1);
            dup2(out, 2);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    ~Program() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    // The exit status, or -1 when the program still runs after ten seconds.
    int wait() {
        for (int round = 0; round < 200; ++round) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            usleep(50000);
        }
        return -1;
    }
    bool running() {
        int status = 0;
        return !exited_ && waitpid(pid_, &status, WNOHANG) == 0;
    }

private:
    pid_t pid_ = -1;
    bool exited_ = false;
};

class PloverForwardingTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device seed;
        root_ = fs::temp_directory_path() / ("plover-forward-" + std::to_string(seed()) + std::to_string(seed()));
        for (const char* folder : {"run", "window", "sender", "log", "home"}) fs::create_directories(root_ / folder);
        fs::permissions(root_ / "run", fs::perms::owner_all, fs::perm_options::replace);
        env_ = {"XDG_RUNTIME_DIR=" + (root_ / "run").string(), "KESTREL_LOG_DIR=" + (root_ / "log").string(),
                "XDG_CONFIG_HOME=" + (root_ / "config").string(), "HOME=" + (root_ / "home").string(),
                "QT_QPA_PLATFORM=offscreen"};
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    Program start(const std::vector<std::string>& args, const char* folder, const char* output) {
        std::vector<std::string> argv{PLOVER_BINARY};
        argv.insert(argv.end(), args.begin(), args.end());
        return Program(argv, root_ / folder, env_, root_ / output);
    }
    // A real buffer file in the sender's folder, compiled by kestrel.
    void compileBuffer() {
        fs::copy_file(fs::path(KESTREL_SOURCE_DIR) / "examples" / "pointers.ksc", root_ / "sender" / "pointers.ksc");
        Program kestrel({KESTREL_BINARY, "--batch", "#boot lumen;#encode pointers.ksc"}, root_ / "sender", env_,
                        root_ / "kestrel.out");
        ASSERT_EQ(kestrel.wait(), 0) << text(root_ / "kestrel.out");
        ASSERT_TRUE(fs::exists(root_ / "sender" / "pointers.buf"));
    }
    bool listening() {
        for (int round = 0; round < 200; ++round) {
            if (fs::exists(root_ / "run" / "kestrel" / "plover.sock")) return true;
            usleep(50000);
        }
        return false;
    }
    static std::string text(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }
    std::string log() {
        std::string all;
        for (const auto& entry : fs::directory_iterator(root_ / "log"))
            if (entry.path().filename().string().find("plover.log") != std::string::npos) all += text(entry.path());
        return all;
    }
    // Waits until the window's log holds `line`.
    bool logged(const std::string& line) {
        for (int round = 0; round < 200; ++round) {
            if (log().find(line) != std::string::npos) return true;
            usleep(50000);
        }
        return false;
    }
    fs::path root_;
    std::vector<std::string> env_;
};

TEST_F(PloverForwardingTest, ASecondStartAndAnExecuteRequestReachTheWindow) {
    ASSERT_NO_FATAL_FAILURE(compileBuffer());
    Program window = start({}, "window", "window.out");
    ASSERT_TRUE(listening()) << text(root_ / "window.out");

    // The relative name is the sender's: the window runs in another folder.
    const std::string buffer = (root_ / "sender" / "pointers.buf").string();
    Program second = start({"pointers.buf"}, "sender", "second.out");
    EXPECT_EQ(second.wait(), 0) << text(root_ / "second.out");
    EXPECT_TRUE(logged("Forwarded: " + buffer)) << log();

    // The file joins the queue again; that it is already loaded shows the
    // forwarded load went through.
    Program execute = start({"--execute", "pointers.buf"}, "sender", "execute.out");
    EXPECT_EQ(execute.wait(), 0) << text(root_ / "execute.out");
    EXPECT_TRUE(logged("Execute: " + buffer)) << log();
    EXPECT_TRUE(logged("Skipped " + buffer + ": already loaded as pointers")) << log();
    EXPECT_TRUE(window.running());
}

TEST_F(PloverForwardingTest, AMalformedFrameIsRejectedAndTheWindowGoesOn) {
    ASSERT_NO_FATAL_FAILURE(compileBuffer());
    Program window = start({}, "window", "window.out");
    ASSERT_TRUE(listening()) << text(root_ / "window.out");

    const int peer = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(peer, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = (root_ / "run" / "kestrel" / "plover.sock").string();
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.size());
    ASSERT_EQ(connect(peer, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string garbage = "NOPE and more bytes";
    ASSERT_EQ(write(peer, garbage.data(), garbage.size()), static_cast<ssize_t>(garbage.size()));
    char answer = 0;
    const ssize_t got = read(peer, &answer, 1);
    close(peer);
    EXPECT_TRUE(got <= 0 || answer == 'R') << "the frame was taken";

    Program second = start({"pointers.buf"}, "sender", "second.out");
    EXPECT_EQ(second.wait(), 0) << text(root_ / "second.out");
    EXPECT_TRUE(logged("Forwarded: " + (root_ / "sender" / "pointers.buf").string())) << log();
    EXPECT_EQ(log().find("NOPE"), std::string::npos);
}

TEST_F(PloverForwardingTest, ExecuteWithoutAWindowEndsWithOne) {
    Program execute = start({"--execute", "pointers.buf"}, "sender", "execute.out");
    EXPECT_EQ(execute.wait(), 1);
    EXPECT_NE(text(root_ / "execute.out").find("no plover window is running"), std::string::npos)
        << text(root_ / "execute.out");
}

}  // namespace
