#pragma once
// A file opened on the file services' stack for one scope: whatever happens
// in the scope, the stack is back at its old depth when it ends.
#include <string>

#include "services/FileHandle.h"
#include "services/FileStackGuard.h"

namespace kestrel {

class ScopedFile {
public:
    // Opens `name` in `mode`; `name` is updated as OpenFile updates it.
    ScopedFile(FileHandle& files, std::string& name, FileHandle::OpenMode mode);
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;

    // The name the file services used; "" when nothing was opened.
    const std::string& opened() const { return opened_; }
    explicit operator bool() const { return !opened_.empty(); }

private:
    FileStackGuard guard_;
    std::string opened_;
};

}  // namespace kestrel
