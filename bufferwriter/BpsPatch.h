#pragma once
// A BPS patch of a burn: "BPS1", the source size, the target size and the
// metadata size (0) as variable-length numbers, the actions, then the CRC32
// of the source, of the target and of the patch up to there, each 4 bytes
// little endian.
//
// A burn moves nothing, so two actions suffice: SourceRead for the bytes the
// burn leaves alone and TargetRead for the bytes it writes. The zeros between
// an image's old end and a write past it are one zero byte read from the
// patch and a TargetCopy of it onto the following bytes. A burn that changes
// nothing gives a single SourceRead over the whole image.
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

class ImageWrites;

class BpsPatch {
public:
    enum class Action : uint8_t { SourceRead = 0, TargetRead = 1, SourceCopy = 2, TargetCopy = 3 };

    // The patch that turns `source` into the image the writes make of it.
    static std::string build(std::string_view source, const ImageWrites& writes);

    // CRC-32 as BPS (and zip) use it: reflected polynomial 0xEDB88320, all
    // bits set at the start and inverted at the end. `crc` is the value of
    // the bytes before, to continue a checksum piece by piece (0 to start).
    static uint32_t crc32(std::string_view bytes, uint32_t crc = 0);

    // The format's variable-length number: 7 bits per byte, lowest first,
    // the last byte marked by its top bit, each further byte counting one more.
    static void putNumber(std::string& out, uint64_t value);
};

}  // namespace kestrel
