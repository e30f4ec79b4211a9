#pragma once
// An IPS patch of a burn: "PATCH", then records of a 3-byte big-endian offset,
// a 2-byte big-endian size and that many bytes, then "EOF".
//
// The format's limits decide what it can express:
// - offsets have 24 bits, so a burn that changes a byte at 16 MiB (0x1000000)
//   or beyond is refused;
// - a record at offset 0x454F46 would read as the "EOF" marker, so such a
//   record starts one byte earlier and carries the byte before it as well;
// - records hold at most 0xFFFF bytes; longer changes take several.
// An image that the burn lengthens gets records for every new byte, the zeros
// between the old end and a write past it included, so a reader that applies
// the records produces the whole new image. Burns never shorten an image, so
// the truncation extension is never written. A burn that changes nothing
// gives "PATCH" "EOF" and no record.
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

class ImageWrites;

class IpsPatch {
public:
    static constexpr int64_t kAddressLimit = 0x1000000;
    static constexpr int64_t kEofOffset = 0x454F46;
    static constexpr int64_t kMaxRecord = 0xFFFF;

    // The patch that turns `source` into the image the writes make of it.
    // FormatError naming the first address it cannot express.
    static std::string build(std::string_view source, const ImageWrites& writes);
};

}  // namespace kestrel
