#include "services/FileStackGuard.h"

#include "services/FileStack.h"

namespace kestrel {

FileStackGuard::FileStackGuard(FileStack& files) : files_(files), depth_(files.fileno()) {}

FileStackGuard::~FileStackGuard() {
    // Nothing here throws: closefile pops and logs, and the log swallows its own failures.
    closeAll();
}

void FileStackGuard::closeAll() {
    while (files_.fileno() > depth_) files_.closefile();
}

}  // namespace kestrel
