#include "bufferwriter/ScopedFile.h"

#include "services/FileHandle.h"

namespace kestrel {

ScopedFile::ScopedFile(FileHandle& files, std::string& name, const std::string& mode)
    : files_(files), depth_(files.fileno()) {
    opened_ = files_.OpenFile(name, mode);
    if (opened_ == "False") opened_.clear();  // an unknown mode opens nothing
}

ScopedFile::~ScopedFile() {
    while (files_.fileno() > depth_) files_.closefile();
}

} // namespace kestrel
