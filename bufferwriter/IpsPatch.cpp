#include "bufferwriter/IpsPatch.h"

#include <algorithm>

#include "bufferwriter/ImageWrites.h"
#include "text/KestrelError.h"
#include "text/TextKit.h"

namespace kestrel {

namespace {

// Offset and size of a record.
constexpr int64_t kRecordHeader = 5;

void putBigEndian(std::string& out, int64_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Writes one stretch of new bytes starting at `start` as records. `before`
// is the image's byte at start - 1, which a record moved off the "EOF"
// offset takes along.
void putRecords(std::string& out, int64_t start, const std::string& bytes, char before) {
    const auto end = start + static_cast<int64_t>(bytes.size());
    for (int64_t at = start; at < end;) {
        const int64_t from = at == IpsPatch::kEofOffset ? at - 1 : at;
        const int64_t size = std::min(IpsPatch::kMaxRecord, end - from);
        putBigEndian(out, from, 3);
        putBigEndian(out, size, 2);
        if (from < start) {
            out += before;
            out.append(bytes, 0, static_cast<std::size_t>(size - 1));
        } else {
            out.append(bytes, static_cast<std::size_t>(from - start), static_cast<std::size_t>(size));
        }
        at = from + size;
    }
}

}  // namespace

std::string IpsPatch::build(std::string_view source, const ImageWrites& writes) {
    std::string out = "PATCH";
    // Changed and grown runs that meet make one stretch of new bytes; a
    // stretch always follows an unchanged byte (or the image's start).
    int64_t start = 0;
    std::string pending;
    // A few unchanged bytes between two changes cost less inside one record
    // than the header of a second one; they join only when a change follows.
    std::string_view between;
    auto flush = [&] {
        between = {};
        if (pending.empty()) return;
        const char before = start > 0 ? source[static_cast<std::size_t>(start - 1)] : '\0';
        putRecords(out, start, pending, before);
        pending.clear();
    };
    writes.walk(source, [&](ImageWrites::Run run, int64_t address, int64_t length, std::string_view bytes) {
        if (run == ImageWrites::Run::Same) {
            if (!pending.empty() && length < kRecordHeader)
                between = source.substr(static_cast<std::size_t>(address), static_cast<std::size_t>(length));
            else
                flush();
            return;
        }
        if (address + length > kAddressLimit) {
            const int64_t first = std::max(address, kAddressLimit);
            throw FormatError("the burn changes the image at 0x" + textkit::upperHex(static_cast<uint64_t>(first)) +
                              ", beyond the 16 MiB an IPS patch can address (a .bps patch can)");
        }
        if (pending.empty()) start = address;
        pending.append(between);
        between = {};
        if (run == ImageWrites::Run::Changed)
            pending.append(bytes);
        else
            pending.append(static_cast<std::size_t>(length), '\0');
    });
    flush();
    out += "EOF";
    return out;
}

}  // namespace kestrel
