#pragma once
// Writes a whole output file or nothing: the text goes into a new file
// beside the target ("<target>.writing", or "<target>.writing<n>" while that
// name is taken), which replaces the target in one step once every byte is
// written. On any failure the new file is removed and the target keeps what
// it held. Whether an existing target may be replaced is the caller's
// question.
#include <string>

namespace kestrel {

class Platform;

class OutputFile {
public:
    // FileError when the file cannot be written.
    static void write(Platform& platform, const std::string& target, const std::string& content);
};

} // namespace kestrel
