#include "platform/posix/PosixInstanceChannel.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace kestrel {

namespace {

constexpr char kMagic[4] = {'K', 'S', 'F', '1'};
constexpr std::size_t kHeader = 8;
// How long a sender waits for the running instance to take its message: it
// takes messages only between typed lines, so a long compile delays them.
constexpr int kAnswerWaitMs = 60000;

void putLength(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t getLength(std::string_view bytes) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    return value;
}

bool peerIsUs(int fd) {
#ifdef SO_PEERCRED
    struct ucred credentials {};
    socklen_t size = sizeof credentials;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return false;
    return credentials.uid == geteuid();
#else
    uid_t uid = 0;
    gid_t gid = 0;
    if (getpeereid(fd, &uid, &gid) != 0) return false;
    return uid == geteuid();
#endif
}

bool socketAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool PosixInstanceChannel::privateFolder(const std::string& folder) {
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & 077) == 0;
}

std::unique_ptr<PosixInstanceChannel> PosixInstanceChannel::open(const std::string& program) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder =
        runtime && *runtime ? std::string(runtime) + "/kestrel" : "/tmp/kestrel-" + std::to_string(geteuid());
    return inFolder(folder, program);
}

std::unique_ptr<PosixInstanceChannel> PosixInstanceChannel::inFolder(const std::string& folder,
                                                                     const std::string& program) {
    // An existing folder is used only as it is: never chmod'ed into shape.
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return nullptr;
    if (!privateFolder(folder)) return nullptr;
    return std::unique_ptr<PosixInstanceChannel>(new PosixInstanceChannel(folder, program));
}

PosixInstanceChannel::PosixInstanceChannel(std::string folder, const std::string& program)
    : lockPath_(folder + "/" + program + ".lock"), socketPath_(folder + "/" + program + ".sock") {}

PosixInstanceChannel::~PosixInstanceChannel() {
    for (auto& client : clients_) close(client.fd);
    if (listenFd_ >= 0) {
        close(listenFd_);
        // Still under the lock: the socket removed is ours.
        unlink(socketPath_.c_str());
    }
    if (lockFd_ >= 0) close(lockFd_);
}

bool PosixInstanceChannel::claim() {
    if (listenFd_ >= 0) return true;
    int fd = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    sockaddr_un address{};
    if (!socketAddress(socketPath_, address)) {
        close(fd);
        return false;
    }
    // A socket left by an instance that crashed: whoever holds the lock owns the name.
    unlink(socketPath_.c_str());
    int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        chmod(socketPath_.c_str(), 0600) != 0 || listen(listener, 8) != 0) {
        if (listener >= 0) close(listener);
        close(fd);
        return false;
    }
    lockFd_ = fd;
    listenFd_ = listener;
    return true;
}

std::string PosixInstanceChannel::frame(const Message& message) {
    std::string payload;
    payload += static_cast<char>(message.kind);
    putLength(payload, static_cast<uint32_t>(message.directory.size()));
    payload += message.directory;
    payload += message.text;
    std::string out(kMagic, sizeof kMagic);
    putLength(out, static_cast<uint32_t>(payload.size()));
    return out + payload;
}

std::optional<InstanceChannel::Message> PosixInstanceChannel::parsePayload(std::string_view payload, std::string& why) {
    if (payload.size() < 5) {
        why = "payload too short";
        return std::nullopt;
    }
    Message message;
    const char kind = payload[0];
    if (kind != static_cast<char>(Message::Kind::line) && kind != static_cast<char>(Message::Kind::execute)) {
        why = "unknown message kind";
        return std::nullopt;
    }
    message.kind = static_cast<Message::Kind>(kind);
    const uint32_t dirLength = getLength(payload.substr(1, 4));
    if (dirLength > payload.size() - 5) {
        why = "directory longer than the payload";
        return std::nullopt;
    }
    message.directory = std::string(payload.substr(5, dirLength));
    message.text = std::string(payload.substr(5 + dirLength));
    if (message.directory.empty() || message.directory[0] != '/') {
        why = "directory is not absolute";
        return std::nullopt;
    }
    if (message.directory.find('\0') != std::string::npos || message.text.find('\0') != std::string::npos) {
        why = "NUL byte in the message";
        return std::nullopt;
    }
    return message;
}

InstanceChannel::Delivery PosixInstanceChannel::forward(const Message& message) {
    const std::string bytes = frame(message);
    if (bytes.size() - kHeader > kMaxPayload) return Delivery::refused;
    sockaddr_un address{};
    if (!socketAddress(socketPath_, address)) return Delivery::noPrimary;
    // The running instance holds the lock for its whole life; it may still be
    // setting up its socket, so a refused connection is tried again a while.
    for (int attempt = 0;; ++attempt) {
        int probe = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (probe < 0) return Delivery::noPrimary;
        const bool free = flock(probe, LOCK_EX | LOCK_NB) == 0;
        close(probe);
        if (free) return Delivery::noPrimary;
        int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return Delivery::failed;
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            if (!peerIsUs(fd) || !writeAll(fd, bytes)) {
                close(fd);
                return Delivery::failed;
            }
            pollfd wait{fd, POLLIN, 0};
            int ready;
            do {
                ready = poll(&wait, 1, kAnswerWaitMs);
            } while (ready < 0 && errno == EINTR);
            char answer = 0;
            const bool answered = ready > 0 && recv(fd, &answer, 1, 0) == 1;
            close(fd);
            if (!answered) return Delivery::failed;
            return answer == 'A' ? Delivery::taken : Delivery::refused;
        }
        close(fd);
        if (attempt >= 40) return Delivery::failed;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void PosixInstanceChannel::drop(Client& client, char answer) {
    if (answer) writeAll(client.fd, std::string(1, answer));
    close(client.fd);
    client.fd = -1;
}

void PosixInstanceChannel::acceptClients() {
    while (true) {
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        if (!peerIsUs(fd) || clients_.size() >= kMaxClients) {
            close(fd);
            continue;
        }
        clients_.push_back(Client{fd, std::string(), std::chrono::steady_clock::now() + kClientPatience});
    }
}

bool PosixInstanceChannel::readClient(Client& client, std::vector<Message>& arrived) {
    char chunk[4096];
    while (true) {
        ssize_t n = recv(client.fd, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        if (n <= 0) {
            drop(client, 0);
            return false;
        }
        client.received.append(chunk, static_cast<std::size_t>(n));
        if (client.received.size() >= kHeader) {
            if (client.received.compare(0, 4, kMagic, 4) != 0) {
                drop(client, 'R');
                return false;
            }
            const uint32_t length = getLength(std::string_view(client.received).substr(4, 4));
            if (length > kMaxPayload || client.received.size() > kHeader + length) {
                drop(client, 'R');
                return false;
            }
            if (client.received.size() == kHeader + length) {
                std::string why;
                auto message = parsePayload(std::string_view(client.received).substr(kHeader), why);
                if (!message) {
                    drop(client, 'R');
                    return false;
                }
                arrived.push_back(std::move(*message));
                drop(client, 'A');
                return false;
            }
        }
    }
}

std::vector<InstanceChannel::Message> PosixInstanceChannel::service(int alsoWatch, int waitMilliseconds,
                                                                    bool& watchReady) {
    watchReady = false;
    std::vector<Message> arrived;
    std::vector<pollfd> watched;
    if (alsoWatch >= 0) watched.push_back(pollfd{alsoWatch, POLLIN, 0});
    const std::size_t first = watched.size();
    if (listenFd_ >= 0) watched.push_back(pollfd{listenFd_, POLLIN, 0});
    for (const auto& client : clients_) watched.push_back(pollfd{client.fd, POLLIN, 0});
    int wait = waitMilliseconds;
    const auto now = std::chrono::steady_clock::now();
    for (const auto& client : clients_) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(client.deadline - now).count();
        int leftMs = left < 0 ? 0 : static_cast<int>(left) + 1;
        if (wait < 0 || leftMs < wait) wait = leftMs;
    }
    int ready = poll(watched.data(), watched.size(), wait);
    if (ready < 0) return arrived;
    if (alsoWatch >= 0) watchReady = (watched[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
    std::size_t index = first;
    if (listenFd_ >= 0 && (watched[index++].revents & POLLIN)) acceptClients();
    const auto later = std::chrono::steady_clock::now();
    for (auto& client : clients_) {
        const bool readable = index < watched.size() && watched[index].fd == client.fd && watched[index].revents != 0;
        ++index;
        if (readable && !readClient(client, arrived)) continue;
        if (client.fd >= 0 && later >= client.deadline) drop(client, 0);
    }
    std::erase_if(clients_, [](const Client& client) { return client.fd < 0; });
    return arrived;
}

}  // namespace kestrel
