#pragma once
// Checks that a script survives decompiling: it is compiled with a codeset,
// its buffer file is decompiled, and the decompiled script is compiled again;
// then every label's bytes and pointers are compared. The files in between
// live in a temporary folder that is removed afterwards, so nothing is left
// beside the script. Codeset authors use it to find commands the decoder
// cannot restore.
#include <cstdint>
#include <string>
#include <vector>

namespace kestrel {

class FileBuffer;
class Shared;

class RoundTrip {
public:
    explicit RoundTrip(Shared& shared) : shared_(shared) {}

    // True when the round trip holds ("round trip holds" is logged); else
    // the first label that differs is reported as an error with both byte
    // runs, and so is a script that does not compile.
    bool verify(const std::string& codeset, const std::string& script);

    // One label of a compiled buffer set: its bytes and the pointers that
    // lie in them ("+position target kind").
    struct Label {
        uint8_t buffer = 0;
        std::string name;
        std::string bytes;
        std::vector<std::string> pointers;
    };
    static std::vector<Label> labels(const FileBuffer& set);
    // Bytes as upper-case hexadecimal pairs; long runs are cut after `limit`
    // bytes with the total length named.
    static std::string byteRun(const std::string& bytes, std::size_t limit = 256);

private:
    // Reports the first difference; false when there is none.
    bool reportDifference(const std::vector<Label>& compiled, const std::vector<Label>& again);

    Shared& shared_;
};

}  // namespace kestrel
