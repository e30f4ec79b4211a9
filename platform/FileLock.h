#pragma once
// A hold on a file that every other burn of the same file respects, in this
// process or another. The lock is released when the object is destroyed.
namespace kestrel {

class FileLock {
public:
    FileLock() = default;
    virtual ~FileLock() = default;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
};

}  // namespace kestrel
