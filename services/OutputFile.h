#pragma once
// Writes a whole output file or nothing: the text goes into a new file
// beside the target ("<target>.writing", or "<target>.writing<n>" while that
// name is taken), which replaces the target in one step once every byte is
// written. On any failure the new file is removed and the target keeps what
// it held. The new file is created only under a name nothing has: a file or
// link already there is never followed or overwritten. A target that is a
// symbolic link stays a link; the file at the end of the chain is replaced.
// Whether an existing target may be replaced is the caller's question
// (mayReplace asks it the usual way).
#include <string>
#include <string_view>

namespace kestrel {

class Platform;

class OutputFile {
public:
    // FileError when the file cannot be written.
    static void write(Platform& platform, const std::string& target, std::string_view content);
    // True when nothing has the target's name, or when the platform's Yes/No
    // question "'<target>' exists. Replace it?" is answered Yes (batch runs
    // answer No unless --yes). The question names `shown` when given (the
    // name the user wrote for a target that was made absolute).
    static bool mayReplace(Platform& platform, const std::string& target, const std::string& shown = {});
};

}  // namespace kestrel
