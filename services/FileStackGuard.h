#pragma once
// Keeps the files opened in one scope inside it: the depth of the file stack
// is taken when the guard is made, and every file above it is closed when the
// scope ends, also when an exception leaves it. A file left open would take
// the next reads and writes of the caller.
namespace kestrel {

class FileStack;

class FileStackGuard {
public:
    explicit FileStackGuard(FileStack& files);
    ~FileStackGuard();
    FileStackGuard(const FileStackGuard&) = delete;
    FileStackGuard& operator=(const FileStackGuard&) = delete;

    // Closes the files opened since the guard was made, now.
    void closeAll();
    int depth() const { return depth_; }

private:
    FileStack& files_;
    int depth_;
};

}  // namespace kestrel
