#pragma once
// Writing an output file all at once: the bytes go into a new file beside the
// target, which then takes the target's place in one step. A failure leaves
// the target as it was and no stray file behind; a reader never sees half
// of the new content.
//
// A target that is a symbolic link keeps its link: the file at the end of
// the chain is replaced. The new file is "<file>.writing" (or
// "<file>.writing<n>" while that name is taken); nothing already there under
// such a name is followed or overwritten.
#include <string>
#include <string_view>

namespace kestrel {

class Platform;

class WholeFileWriter {
public:
    // False, with nothing written, when the target exists and the platform's
    // Yes/No question about replacing it is answered No (batch runs answer
    // No unless --yes). FileError when the file cannot be written.
    static bool write(Platform& platform, const std::string& target, std::string_view bytes);
};

} // namespace kestrel
