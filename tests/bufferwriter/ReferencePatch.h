#pragma once
// Small patch readers written from the formats alone, independent of the
// writers under test: they apply an IPS or BPS patch to an image and check
// everything the format lets a reader check. A malformed patch fails the
// calling test.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::test::reference {

inline uint8_t byteAt(const std::string& data, std::size_t at) { return static_cast<uint8_t>(data.at(at)); }

// Bit by bit, as the polynomial defines it (no table, unlike the writer).
inline uint32_t crc32(const std::string& data, std::size_t length) {
    uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= byteAt(data, i);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

struct IpsRecord {
    uint32_t offset;
    std::size_t size;  // bytes written (the run length of an RLE record)
    bool rle;
    std::size_t data;  // where its bytes (or its one RLE byte) lie in the patch
};

// The records of an IPS patch, in order.
inline std::vector<IpsRecord> ipsRecords(const std::string& patch) {
    std::vector<IpsRecord> records;
    EXPECT_EQ(patch.substr(0, 5), "PATCH");
    std::size_t at = 5;
    for (;;) {
        if (at + 3 > patch.size()) {
            ADD_FAILURE() << "the patch ends without EOF";
            return records;
        }
        if (patch.compare(at, 3, "EOF") == 0) {
            at += 3;
            break;
        }
        if (at + 5 > patch.size()) {
            ADD_FAILURE() << "a record header is cut off at " << at;
            return records;
        }
        IpsRecord record{};
        record.offset =
            (uint32_t{byteAt(patch, at)} << 16) | (uint32_t{byteAt(patch, at + 1)} << 8) | byteAt(patch, at + 2);
        std::size_t size = (std::size_t{byteAt(patch, at + 3)} << 8) | byteAt(patch, at + 4);
        at += 5;
        if (size == 0) {
            record.rle = true;
            record.size = (std::size_t{byteAt(patch, at)} << 8) | byteAt(patch, at + 1);
            record.data = at + 2;
            at += 3;
        } else {
            record.size = size;
            record.data = at;
            at += size;
        }
        records.push_back(record);
    }
    // A truncation size may follow the marker; nothing else may.
    EXPECT_TRUE(at == patch.size() || at + 3 == patch.size()) << "bytes after EOF";
    return records;
}

inline std::string applyIps(const std::string& patch, std::string image) {
    for (const IpsRecord& record : ipsRecords(patch)) {
        const std::size_t end = record.offset + record.size;
        if (image.size() < end) image.resize(end, '\0');
        if (record.rle)
            image.replace(record.offset, record.size, record.size, patch.at(record.data));
        else
            image.replace(record.offset, record.size, patch, record.data, record.size);
    }
    if (patch.size() >= 3 && patch.compare(patch.size() - 3, 3, "EOF") != 0) {
        const std::size_t end = patch.size() - 3;
        image.resize((std::size_t{byteAt(patch, end)} << 16) | (std::size_t{byteAt(patch, end + 1)} << 8) |
                     byteAt(patch, end + 2));
    }
    return image;
}

// BPS reading: numbers, actions, checksums.
class BpsReader {
public:
    explicit BpsReader(const std::string& patch) : patch_(patch) {}

    uint64_t number() {
        uint64_t data = 0;
        uint64_t shift = 1;
        for (;;) {
            const uint8_t x = byteAt(patch_, at_++);
            data += (x & 0x7F) * shift;
            if (x & 0x80) return data;
            shift <<= 7;
            data += shift;
        }
    }

    struct Counts {
        int sourceRead = 0, targetRead = 0, sourceCopy = 0, targetCopy = 0;
    };

    std::string apply(const std::string& source, Counts* counts = nullptr) {
        Counts seen;
        EXPECT_EQ(patch_.substr(0, 4), "BPS1");
        EXPECT_GE(patch_.size(), 4u + 3u + 12u);
        at_ = 4;
        const uint64_t sourceSize = number();
        const uint64_t targetSize = number();
        const uint64_t metadata = number();
        EXPECT_EQ(sourceSize, source.size());
        at_ += static_cast<std::size_t>(metadata);
        std::string target;
        target.reserve(static_cast<std::size_t>(targetSize));
        int64_t sourceRelative = 0;
        int64_t targetRelative = 0;
        const std::size_t actionsEnd = patch_.size() - 12;
        while (at_ < actionsEnd) {
            const uint64_t data = number();
            const uint64_t length = (data >> 2) + 1;
            switch (data & 3) {
            case 0:
                ++seen.sourceRead;
                for (uint64_t i = 0; i < length; ++i) target += source.at(target.size());
                break;
            case 1:
                ++seen.targetRead;
                target.append(patch_, at_, static_cast<std::size_t>(length));
                at_ += static_cast<std::size_t>(length);
                break;
            case 2:
            case 3: {
                const uint64_t raw = number();
                const int64_t offset = (raw & 1) ? -static_cast<int64_t>(raw >> 1) : static_cast<int64_t>(raw >> 1);
                if ((data & 3) == 2) {
                    ++seen.sourceCopy;
                    sourceRelative += offset;
                    for (uint64_t i = 0; i < length; ++i)
                        target += source.at(static_cast<std::size_t>(sourceRelative++));
                } else {
                    ++seen.targetCopy;
                    targetRelative += offset;
                    for (uint64_t i = 0; i < length; ++i)
                        target += target.at(static_cast<std::size_t>(targetRelative++));
                }
                break;
            }
            }
        }
        EXPECT_EQ(at_, actionsEnd) << "the actions run into the checksums";
        EXPECT_EQ(target.size(), targetSize);
        EXPECT_EQ(littleEndian(actionsEnd), crc32(source, source.size())) << "source checksum";
        EXPECT_EQ(littleEndian(actionsEnd + 4), crc32(target, target.size())) << "target checksum";
        EXPECT_EQ(littleEndian(actionsEnd + 8), crc32(patch_, patch_.size() - 4)) << "patch checksum";
        if (counts) *counts = seen;
        return target;
    }

private:
    uint32_t littleEndian(std::size_t at) const {
        return uint32_t{byteAt(patch_, at)} | (uint32_t{byteAt(patch_, at + 1)} << 8) |
               (uint32_t{byteAt(patch_, at + 2)} << 16) | (uint32_t{byteAt(patch_, at + 3)} << 24);
    }

    const std::string& patch_;
    std::size_t at_ = 0;
};

inline std::string applyBps(const std::string& patch, const std::string& source, BpsReader::Counts* counts = nullptr) {
    return BpsReader(patch).apply(source, counts);
}

}  // namespace kestrel::test::reference
