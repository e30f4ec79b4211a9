#pragma once
// The instance channel on POSIX: per user and program, a lock file that
// decides which process is the running instance and a Unix-domain socket on
// which it listens, both in a private folder: $XDG_RUNTIME_DIR/kestrel, else
// /tmp/kestrel-<uid>. The folder must be a directory of this user that no
// one else may enter (mode 0700); otherwise the channel is off.
//
// A message is one frame: "KSF1", the payload's length (32-bit little
// endian, at most kMaxPayload), then the payload: the kind byte ('L' a line,
// 'X' an execute request), the directory's length (32-bit little endian),
// the directory and the text. The listener answers one byte: 'A' taken or
// 'R' refused. Peers of another user, malformed or oversized frames and
// clients that stay silent are dropped without running anything.
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/InstanceChannel.h"

namespace kestrel {

class PosixInstanceChannel : public InstanceChannel {
public:
    static constexpr std::size_t kMaxPayload = 256 * 1024;
    static constexpr std::size_t kMaxClients = 8;
    // How long a client may take to send its whole frame.
    static constexpr std::chrono::milliseconds kClientPatience{2000};

    // The channel in the user's private folder; nullptr when none is safe.
    static std::unique_ptr<PosixInstanceChannel> open(const std::string& program);
    // The channel in a given folder, checked the same way.
    static std::unique_ptr<PosixInstanceChannel> inFolder(const std::string& folder, const std::string& program);
    ~PosixInstanceChannel() override;

    bool claim() override;
    Delivery forward(const Message& message) override;
    std::vector<Message> service(int alsoWatch, int waitMilliseconds, bool& watchReady) override;

    const std::string& socketPath() const { return socketPath_; }

    static std::string frame(const Message& message);
    // The message of a payload; nullopt (with the reason) when malformed.
    static std::optional<Message> parsePayload(std::string_view payload, std::string& why);
    // The folder may hold the channel: a directory (no link) of this user
    // with no rights for group or others.
    static bool privateFolder(const std::string& folder);

private:
    PosixInstanceChannel(std::string folder, const std::string& program);

    struct Client {
        int fd = -1;
        std::string received;
        std::chrono::steady_clock::time_point deadline;
    };
    // Reads what a client sent; false when it is done with (answered or dropped).
    bool readClient(Client& client, std::vector<Message>& arrived);
    void acceptClients();
    void drop(Client& client, char answer);

    std::string lockPath_;
    std::string socketPath_;
    int lockFd_ = -1;
    int listenFd_ = -1;
    std::vector<Client> clients_;
};

}  // namespace kestrel
