#include "bufferwriter/ScopedFile.h"

namespace kestrel {

ScopedFile::ScopedFile(FileHandle& files, std::string& name, FileHandle::OpenMode mode) : guard_(files.stack()) {
    opened_ = files.OpenFile(name, mode).value_or(std::string());
}

}  // namespace kestrel
