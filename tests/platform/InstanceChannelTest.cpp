// The instance channel: one process claims it, others hand messages over;
// bad frames, silent clients, stale sockets and unsafe folders.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>

#include "platform/posix/PosixInstanceChannel.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using Message = InstanceChannel::Message;
using Delivery = InstanceChannel::Delivery;

class InstanceChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device seed;
        folder_ = fs::temp_directory_path() / ("kestrel-channel-" + std::to_string(seed()) + std::to_string(seed()));
        fs::create_directories(folder_);
        fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::replace);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    std::unique_ptr<PosixInstanceChannel> channel() {
        auto made = PosixInstanceChannel::inFolder(folder_.string(), "test");
        EXPECT_TRUE(made);
        return made;
    }
    // Services the listener until `done` says so; bounded, so a fault fails instead of hanging.
    std::vector<Message> serviceUntil(PosixInstanceChannel& listener, const std::function<bool()>& done) {
        std::vector<Message> all;
        for (int round = 0; round < 200 && !done(); ++round) {
            bool ready = false;
            for (auto& message : listener.service(-1, 50, ready)) all.push_back(std::move(message));
        }
        return all;
    }
    // A client that speaks raw bytes.
    int rawClient(const std::string& bytes) {
        int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, (folder_ / "test.sock").c_str(), sizeof address.sun_path - 1);
        EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        if (!bytes.empty()) {
            EXPECT_EQ(send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
        }
        return fd;
    }
    // The listener's answer to a raw client: 'A', 'R', or 0 when it hung up without one.
    static bool answered(int fd, char& answer) {
        pollfd wait{fd, POLLIN, 0};
        if (poll(&wait, 1, 0) <= 0) return false;
        answer = 0;
        if (recv(fd, &answer, 1, 0) != 1) answer = 0;
        return true;
    }
    fs::path folder_;
};

TEST_F(InstanceChannelTest, FramesRoundTripAndMalformedPayloadsAreNamed) {
    Message message{Message::Kind::execute, "/home/me/dir with space", "a.buf;b.buf"};
    const std::string bytes = PosixInstanceChannel::frame(message);
    ASSERT_EQ(bytes.substr(0, 4), "KSF1");
    std::string why;
    auto back = PosixInstanceChannel::parsePayload(std::string_view(bytes).substr(8), why);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->kind, Message::Kind::execute);
    EXPECT_EQ(back->directory, message.directory);
    EXPECT_EQ(back->text, message.text);
    for (const std::string& payload :
         {std::string("L"), std::string("Q\x01\0\0\0/", 6), std::string("L\xFF\0\0\0/x", 7),
          std::string("L\x01\0\0\0r", 6), std::string("L\x01\0\0\0/a\0b", 9)}) {
        EXPECT_FALSE(PosixInstanceChannel::parsePayload(payload, why)) << payload;
        EXPECT_FALSE(why.empty());
    }
}

TEST_F(InstanceChannelTest, OneClaimsAndAnotherHandsItsLineOver) {
    auto primary = channel();
    auto second = channel();
    ASSERT_TRUE(primary->claim());
    EXPECT_FALSE(second->claim());
    Delivery delivery = Delivery::failed;
    bool finished = false;
    std::thread sender([&] {
        delivery = second->forward(Message{Message::Kind::line, "/work/here", "#whoami"});
        finished = true;
    });
    std::vector<Message> got = serviceUntil(*primary, [&] { return finished; });
    sender.join();
    EXPECT_EQ(delivery, Delivery::taken);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].text, "#whoami");
    EXPECT_EQ(got[0].directory, "/work/here");
}

TEST_F(InstanceChannelTest, WithoutAListenerTheSenderRunsOnItsOwn) {
    auto alone = channel();
    EXPECT_EQ(alone->forward(Message{Message::Kind::line, "/", "#whoami"}), Delivery::noPrimary);
    // Nor does a socket left behind by a crashed instance fool it, and the
    // next start takes the name over.
    int stale = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, alone->socketPath().c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(stale);
    ASSERT_TRUE(fs::exists(alone->socketPath()));
    EXPECT_EQ(alone->forward(Message{Message::Kind::line, "/", "#whoami"}), Delivery::noPrimary);
    auto next = channel();
    EXPECT_TRUE(next->claim());
    int client = rawClient(PosixInstanceChannel::frame(Message{Message::Kind::line, "/", "#x"}));
    char answer = 0;
    auto got = serviceUntil(*next, [&] { return answered(client, answer); });
    EXPECT_EQ(answer, 'A');
    EXPECT_EQ(got.size(), 1u);
    close(client);
}

TEST_F(InstanceChannelTest, BadFramesAreRefusedAndNothingRuns) {
    auto primary = channel();
    ASSERT_TRUE(primary->claim());
    std::string oversized("KSF1");
    const uint32_t big = PosixInstanceChannel::kMaxPayload + 1;
    for (int i = 0; i < 4; ++i) oversized += static_cast<char>((big >> (8 * i)) & 0xFF);
    std::string relative = PosixInstanceChannel::frame(Message{Message::Kind::line, "/", "#whoami"});
    relative[13] = 'x';  // the directory no longer starts at the root
    std::string longer = PosixInstanceChannel::frame(Message{Message::Kind::line, "/", "#x"}) + "extra";
    for (const std::string& bytes : {std::string("GET / HTTP/1.0\r\n\r\n"), oversized, relative, longer}) {
        int client = rawClient(bytes);
        char answer = 'A';
        auto got = serviceUntil(*primary, [&] { return answered(client, answer); });
        EXPECT_TRUE(got.empty());
        EXPECT_EQ(answer, 'R');
        close(client);
    }
    // A client that leaves halfway is forgotten; the channel goes on working.
    int quitter = rawClient("KSF1\x10");
    close(quitter);
    int client = rawClient(PosixInstanceChannel::frame(Message{Message::Kind::line, "/", "#good"}));
    char answer = 0;
    auto got = serviceUntil(*primary, [&] { return answered(client, answer); });
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].text, "#good");
    close(client);
}

TEST_F(InstanceChannelTest, ASilentClientHoldsNothingUp) {
    auto primary = channel();
    ASSERT_TRUE(primary->claim());
    int silent = rawClient("");
    bool ready = false;
    // Input on the watched descriptor is reported while the silent client waits.
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    ASSERT_EQ(write(pipeFds[1], "k", 1), 1);
    primary->service(pipeFds[0], -1, ready);
    EXPECT_TRUE(ready);
    int client = rawClient(PosixInstanceChannel::frame(Message{Message::Kind::line, "/", "#after"}));
    char answer = 0;
    auto got = serviceUntil(*primary, [&] { return answered(client, answer); });
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(answer, 'A');
    // Past its patience the silent client is hung up on, unanswered.
    char silentAnswer = 'x';
    serviceUntil(*primary, [&] { return answered(silent, silentAnswer); });
    EXPECT_EQ(silentAnswer, 0);
    close(client);
    close(silent);
    close(pipeFds[0]);
    close(pipeFds[1]);
}

TEST_F(InstanceChannelTest, AFolderOthersCanEnterOrALinkTurnsTheChannelOff) {
    fs::permissions(folder_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec,
                    fs::perm_options::replace);
    EXPECT_FALSE(PosixInstanceChannel::inFolder(folder_.string(), "test"));
    fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::replace);
    fs::create_directory_symlink(folder_, folder_.string() + "-link");
    EXPECT_FALSE(PosixInstanceChannel::inFolder(folder_.string() + "-link", "test"));
    fs::remove(folder_.string() + "-link");
    // A folder that does not exist yet is made private.
    auto fresh = PosixInstanceChannel::inFolder((folder_ / "new").string(), "test");
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fs::status(folder_ / "new").permissions() & fs::perms::all, fs::perms::owner_all);
}

}  // namespace
}  // namespace kestrel
