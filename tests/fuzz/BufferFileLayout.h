#pragma once
// Where the fields of a well-formed buffer file lie, so that the seeded test
// can break exactly the lengths, counts and buffer numbers a reader trusts.
#include <cstddef>
#include <string>
#include <vector>

namespace kestrel::fuzz {

class BufferFileLayout {
public:
    enum class Kind { StringLength, Count, RecordBuffer, RecordOffset, RecordMode, DataBuffer };
    struct Field {
        std::size_t offset;
        int width;  // bytes
        Kind kind;
    };

    // Fields of `file` in file order; parsing stops where the file stops
    // being well-formed.
    static std::vector<Field> fields(const std::string& file);
};

}  // namespace kestrel::fuzz
