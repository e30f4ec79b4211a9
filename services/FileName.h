#pragma once
// A file name taken apart: folder, name and extension (without the dot). The
// file services keep one as the name of the file in work; the decompiler
// names its output files from it.
#include <cstdint>
#include <string>

namespace kestrel {

// The parts filename reads and writes.
enum class NamePart : uint8_t { fullpath, name, directory, extension };

class FileName {
public:
    std::string directory;
    std::string name;
    std::string extension;

    // Takes a full path apart. The name is cleared first; the extension is
    // kept when the path has neither a dot nor a separator (all of it is then
    // the folder), and emptied when its last component has no dot.
    void assignFullPath(const std::string& value);
    // folder + separator + name + "." + extension; "" when there is no name.
    std::string fullPath(const std::string& folder, char separator) const;

    // `folder` and `leaf` with one separator between them (none added when
    // the folder ends in one, nothing when the folder is empty).
    static std::string join(const std::string& folder, const std::string& leaf, char separator);
};

}  // namespace kestrel
