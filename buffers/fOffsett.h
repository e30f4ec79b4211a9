#pragma once
// One offset record: a label, a pointer place or the current position of the
// buffer set. A plain value; the lists that hold it share it by pointer so
// that the current record can be the stored record itself.
#include <cstdint>
#include <string>

namespace kestrel {

struct fOffsett {
    // Label: its position in its buffer. Pointer: buffer * 100000 + the
    // position of its 4 bytes in that buffer.
    int32_t Offset = 0;
    // Label: its name. Pointer: the target label name or address text.
    std::string name;
    uint8_t buffer = 0;
    // Kind code of whoever created the record; stored and saved unchanged.
    int16_t mode = 0;
};

}  // namespace kestrel
