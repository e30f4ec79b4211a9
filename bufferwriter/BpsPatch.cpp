#include "bufferwriter/BpsPatch.h"

#include <algorithm>
#include <array>

#include "bufferwriter/ImageWrites.h"

namespace kestrel {

namespace {

constexpr std::array<uint32_t, 256> makeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = makeCrcTable();

// Zero runs shorter than this are cheaper read from the patch than copied.
constexpr int64_t kShortestZeroCopy = 8;

void putAction(std::string& out, BpsPatch::Action action, int64_t length) {
    BpsPatch::putNumber(out, (static_cast<uint64_t>(length - 1) << 2) | static_cast<uint64_t>(action));
}

void putLittleEndian(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

uint32_t BpsPatch::crc32(std::string_view bytes, uint32_t crc) {
    crc = ~crc;
    for (const char c : bytes) crc = kCrcTable[(crc ^ static_cast<uint8_t>(c)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void BpsPatch::putNumber(std::string& out, uint64_t value) {
    for (;;) {
        const auto low = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
        if (value == 0) {
            out += static_cast<char>(0x80 | low);
            return;
        }
        out += static_cast<char>(low);
        --value;
    }
}

std::string BpsPatch::build(std::string_view source, const ImageWrites& writes) {
    const auto sourceSize = static_cast<int64_t>(source.size());
    std::string out = "BPS1";
    putNumber(out, static_cast<uint64_t>(sourceSize));
    putNumber(out, static_cast<uint64_t>(writes.targetSize(sourceSize)));
    putNumber(out, 0);

    uint32_t targetCrc = 0;
    // Where the last TargetCopy left off reading the target: copies give their
    // start relative to it.
    int64_t targetRelative = 0;
    const std::string zeros(4096, '\0');
    writes.walk(source, [&](ImageWrites::Run run, int64_t address, int64_t length, std::string_view bytes) {
        switch (run) {
        case ImageWrites::Run::Same:
            putAction(out, Action::SourceRead, length);
            targetCrc =
                crc32(source.substr(static_cast<std::size_t>(address), static_cast<std::size_t>(length)), targetCrc);
            return;
        case ImageWrites::Run::Changed:
            putAction(out, Action::TargetRead, length);
            out.append(bytes);
            targetCrc = crc32(bytes, targetCrc);
            return;
        case ImageWrites::Run::Grown: break;
        }
        for (int64_t left = length; left > 0;) {
            const int64_t piece = std::min<int64_t>(left, static_cast<int64_t>(zeros.size()));
            targetCrc = crc32(std::string_view(zeros).substr(0, static_cast<std::size_t>(piece)), targetCrc);
            left -= piece;
        }
        if (length < kShortestZeroCopy) {
            putAction(out, Action::TargetRead, length);
            out.append(static_cast<std::size_t>(length), '\0');
            return;
        }
        putAction(out, Action::TargetRead, 1);
        out += '\0';
        // Each copied byte is read from the target one place behind where it
        // goes, so the zero repeats over the whole run.
        putAction(out, Action::TargetCopy, length - 1);
        const int64_t offset = address - targetRelative;
        putNumber(out, (static_cast<uint64_t>(offset < 0 ? -offset : offset) << 1) | (offset < 0 ? 1u : 0u));
        targetRelative = address + length - 1;
    });

    putLittleEndian(out, crc32(source));
    putLittleEndian(out, targetCrc);
    putLittleEndian(out, crc32(out));
    return out;
}

}  // namespace kestrel
