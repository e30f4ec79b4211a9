// PosixPlatform: locking, copying and replacing files for burns.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/PosixPlatform.h"
#include "text/KestrelError.h"

namespace kestrel {

namespace {

std::string reason(const std::string& what, const std::string& path) {
    return what + " '" + path + "': " + std::strerror(errno);
}

// Closes a descriptor however the function ends.
struct Descriptor {
    int fd = -1;
    explicit Descriptor(int value) : fd(value) {}
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int release() {
        const int value = fd;
        fd = -1;
        return value;
    }
};

// flock belongs to the open file, so the descriptor stays open while held.
class PosixFileLock : public FileLock {
public:
    explicit PosixFileLock(int fd) : fd_(fd) {}
    ~PosixFileLock() override { ::close(fd_); }

private:
    int fd_;
};

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

}  // namespace

std::unique_ptr<FileLock> PosixPlatform::lockFile(const std::string& path) {
    // The lock holds a file, not a name: when another burn replaced the file
    // between our open and our lock, the lock is on the old one and is taken
    // again on the file now under that name.
    for (int attempt = 0; attempt < 8; ++attempt) {
        Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (file.fd < 0) throw FileError(reason("cannot open", path));
        while (::flock(file.fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR) continue;
            if (errno == EWOULDBLOCK) return nullptr;
            throw FileError(reason("cannot lock", path));
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(file.fd, &held) != 0) throw FileError(reason("cannot examine", path));
        if (::stat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino)
            return std::make_unique<PosixFileLock>(file.release());
    }
    throw FileError("cannot lock '" + path + "': it keeps being replaced");
}

bool PosixPlatform::copyToNewFile(const std::string& original, const std::string& copy) {
    Descriptor in(::open(original.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.fd < 0) throw FileError(reason("cannot open", original));
    struct stat status {};
    if (::fstat(in.fd, &status) != 0) throw FileError(reason("cannot examine", original));
    if (!S_ISREG(status.st_mode)) throw FileError("'" + original + "' is not a regular file");
    // O_EXCL with O_CREAT never follows a link at the name: whatever lies
    // there (a file, a link planted by someone else) makes this fail.
    Descriptor out(::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (out.fd < 0) {
        if (errno == EEXIST) return false;
        throw FileError(reason("cannot create", copy));
    }
    auto fail = [&](const std::string& what, const std::string& path) {
        const std::string text = reason(what, path);
        ::unlink(copy.c_str());
        throw FileError(text);
    };
    // In the kernel first (no bytes through user space; a copy-on-write
    // file system may share the blocks); plain reads and writes where the
    // file system cannot.
    bool copied = false;
#ifdef __linux__
    for (off_t left = status.st_size; left > 0;) {
        const ssize_t moved = ::copy_file_range(in.fd, nullptr, out.fd, nullptr, static_cast<std::size_t>(left), 0);
        if (moved < 0 && errno == EINTR) continue;
        if (moved < 0 && (errno == ENOSYS || errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP)) break;
        if (moved < 0) fail("cannot write", copy);
        if (moved == 0) break;
        left -= moved;
        copied = left == 0;
    }
#endif
    if (copied || status.st_size == 0) {
        if (::fchmod(out.fd, status.st_mode & 07777) != 0) fail("cannot set the permissions of", copy);
        if (::close(out.release()) != 0) fail("cannot write", copy);
        return true;
    }
    // Start over from the beginning of both files.
    if (::lseek(in.fd, 0, SEEK_SET) < 0 || ::lseek(out.fd, 0, SEEK_SET) < 0 || ::ftruncate(out.fd, 0) != 0)
        fail("cannot copy", original);
    std::vector<char> block(1 << 20);
    for (;;) {
        const ssize_t got = ::read(in.fd, block.data(), block.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            fail("cannot read", original);
        }
        if (got == 0) break;
        if (!writeAll(out.fd, block.data(), static_cast<std::size_t>(got))) fail("cannot write", copy);
    }
    if (::fchmod(out.fd, status.st_mode & 07777) != 0) fail("cannot set the permissions of", copy);
    if (::close(out.release()) != 0) fail("cannot write", copy);
    return true;
}

bool PosixPlatform::writeNewFile(const std::string& path, std::string_view bytes) {
    Descriptor out(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (out.fd < 0) {
        if (errno == EEXIST) return false;
        throw FileError(reason("cannot create", path));
    }
    if (!writeAll(out.fd, bytes.data(), bytes.size()) || ::close(out.release()) != 0) {
        const std::string text = reason("cannot write", path);
        ::unlink(path.c_str());
        throw FileError(text);
    }
    return true;
}

void PosixPlatform::replaceFile(const std::string& source, const std::string& target) {
    {
        Descriptor file(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
        if (file.fd < 0) throw FileError(reason("cannot open", source));
        if (::fsync(file.fd) != 0) throw FileError(reason("cannot write", source));
    }
    if (::rename(source.c_str(), target.c_str()) != 0) throw FileError(reason("cannot replace", target));
}

}  // namespace kestrel
