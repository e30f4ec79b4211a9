// Win32Platform: locking, copying and replacing files for burns.
#include <algorithm>
#include <memory>
#include <string>

#include <windows.h>

#include "platform/win32/Win32Platform.h"
#include "text/KestrelError.h"

namespace kestrel {

namespace {

std::string reason(const std::string& what, const std::string& path) {
    return what + " '" + path + "': Windows error " + std::to_string(GetLastError());
}

// Locks a range far beyond any image's end: other burns collide on it, but
// the image's bytes stay readable (Windows byte locks are mandatory).
constexpr DWORD kLockOffsetHigh = 0x7FFFFFF0;

class Win32FileLock : public FileLock {
public:
    explicit Win32FileLock(HANDLE file) : file_(file) {}
    ~Win32FileLock() override {
        OVERLAPPED where{};
        where.OffsetHigh = kLockOffsetHigh;
        UnlockFileEx(file_, 0, 1, 0, &where);
        CloseHandle(file_);
    }

private:
    HANDLE file_;
};

}  // namespace

std::unique_ptr<FileLock> Win32Platform::lockFile(const std::string& path) {
    const std::string native = nativePath(path);
    // FILE_SHARE_DELETE: the working copy must still be renamed over the image.
    HANDLE file = CreateFileA(native.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw FileError(reason("cannot open", path));
    OVERLAPPED where{};
    where.OffsetHigh = kLockOffsetHigh;
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where)) {
        const DWORD error = GetLastError();
        CloseHandle(file);
        if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) return nullptr;
        SetLastError(error);
        throw FileError(reason("cannot lock", path));
    }
    return std::make_unique<Win32FileLock>(file);
}

bool Win32Platform::copyToNewFile(const std::string& original, const std::string& copy) {
    const std::string from = nativePath(original);
    const std::string to = nativePath(copy);
    // TRUE: fail when anything (a file or a link) already has the name.
    if (CopyFileA(from.c_str(), to.c_str(), TRUE)) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return false;
    DeleteFileA(to.c_str());
    SetLastError(error);
    throw FileError(reason("cannot copy", original));
}

bool Win32Platform::writeNewFile(const std::string& path, std::string_view bytes) {
    const std::string native = nativePath(path);
    HANDLE file = CreateFileA(native.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return false;
        throw FileError(reason("cannot create", path));
    }
    // WriteFile takes at most 4 GiB less one byte per call.
    bool written = true;
    for (std::size_t at = 0; written && at < bytes.size();) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - at, 1u << 30));
        DWORD put = 0;
        written = WriteFile(file, bytes.data() + at, chunk, &put, nullptr) != 0 && put == chunk;
        at += put;
    }
    if (!CloseHandle(file)) written = false;
    if (!written) {
        const std::string text = reason("cannot write", path);
        DeleteFileA(native.c_str());
        throw FileError(text);
    }
    return true;
}

void Win32Platform::replaceFile(const std::string& source, const std::string& target) {
    const std::string from = nativePath(source);
    const std::string to = nativePath(target);
    if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw FileError(reason("cannot replace", target));
}

}  // namespace kestrel
