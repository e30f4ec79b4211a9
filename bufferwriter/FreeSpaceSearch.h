#pragma once
// The free-space search: runs of one filler byte in an image that are long
// enough for N bytes.
//
// The rule: windows of kWindow bytes start at start - 1, start - 1 + kStep,
// ... while the window's address (its start + 1) is at most the image
// length. Only the first probe match of a window (probe bytes of filler, all
// inside the window) is examined; its address + 1 is the candidate, and the
// candidate is listed when the N bytes from candidate + 1 are all filler
// inside the image. At most kMaxLocations candidates are listed, and one
// already listed is neither listed again nor counted.
//
// `find` reads the image once, from start - 1 on, and keeps only the filler
// runs at least a probe long; a window's first match and its N-byte check are
// then answered from the run that holds the match, so the cost does not
// depend on N.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace kestrel {

class FreeSpaceSearch {
public:
    static constexpr int64_t kWindow = 4192;
    static constexpr int64_t kStep = 4096;
    static constexpr std::size_t kMaxLocations = 5;

    struct Request {
        uint8_t filler = 0xFF;
        int64_t probe = 100;  // 100 with the safety box ticked, else 10
        int64_t needed = 0;   // N
        int64_t start = 0x800000;
    };

    // Fills `out` with up to `count` bytes of the image from `position` and
    // returns how many it gave; fewer only at the end of the image.
    using Reader = std::function<std::size_t(int64_t position, char* out, std::size_t count)>;

    // Candidate addresses in ascending order. `length` is the image length.
    static std::vector<int64_t> find(const Request& request, int64_t length, const Reader& read);

    // Bytes read per call of the reader: small enough that the chunk stays
    // in the core's cache between the read and the scan, and that a search
    // touches few fresh pages.
    static constexpr std::size_t kChunk = 128 << 10;
};

}  // namespace kestrel
