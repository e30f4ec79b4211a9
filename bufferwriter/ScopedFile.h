#pragma once
// A file opened on the file services' stack for one scope: whatever happens
// in the scope, the stack is back at its old depth when it ends.
#include <string>

namespace kestrel {

class FileHandle;

class ScopedFile {
public:
    // Opens `name` in `mode`; `name` is updated as OpenFile updates it.
    ScopedFile(FileHandle& files, std::string& name, const std::string& mode);
    ~ScopedFile();
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;

    // The name the file services used; "" when nothing was opened.
    const std::string& opened() const { return opened_; }
    explicit operator bool() const { return !opened_.empty(); }

private:
    FileHandle& files_;
    int depth_;
    std::string opened_;
};

} // namespace kestrel
