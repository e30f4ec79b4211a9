// Patches of burns: the writes a burn makes, and the IPS and BPS patches of
// them, applied by the reference readers and compared with the image the
// same writes make when carried out byte by byte.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "ReferencePatch.h"
#include "bufferwriter/BpsPatch.h"
#include "bufferwriter/ImageWrites.h"
#include "bufferwriter/IpsPatch.h"
#include "text/KestrelError.h"

namespace kestrel::test {
namespace {

using Write = std::pair<int64_t, std::string>;

// The writes carried out one after the other into a copy of the image, as a
// file grows with zeros when written past its end.
std::string burned(std::string image, const std::vector<Write>& writes) {
    for (const auto& [address, bytes] : writes) {
        const auto at = static_cast<std::size_t>(address);
        if (image.size() < at + bytes.size()) image.resize(at + bytes.size(), '\0');
        image.replace(at, bytes.size(), bytes);
    }
    return image;
}

ImageWrites collect(const std::vector<Write>& writes) {
    ImageWrites out;
    for (const auto& [address, bytes] : writes) out.write(address, bytes);
    return out;
}

std::string randomBytes(std::mt19937& random, std::size_t size) {
    std::string bytes(size, '\0');
    // Few distinct values, so that writes often repeat the bytes under them.
    std::uniform_int_distribution<int> value(0, 3);
    for (char& c : bytes) c = static_cast<char>(value(random) * 0x55);
    return bytes;
}

TEST(ImageWrites, LaterWritesWinAndTheWalkCoversTheWholeTarget) {
    const std::string source(32, 'a');
    const std::vector<Write> writes = {{4, "BBBBBBBB"}, {2, "cc"}, {6, "dd"}, {10, "eeee"}, {40, "ff"}};
    const ImageWrites collected = collect(writes);
    std::string target;
    int64_t next = 0;
    collected.walk(source, [&](ImageWrites::Run run, int64_t address, int64_t length, std::string_view bytes) {
        EXPECT_EQ(address, next) << "runs follow each other";
        next = address + length;
        if (run == ImageWrites::Run::Same)
            target += source.substr(static_cast<std::size_t>(address), static_cast<std::size_t>(length));
        else if (run == ImageWrites::Run::Changed)
            target += bytes;
        else
            target += std::string(static_cast<std::size_t>(length), '\0');
    });
    EXPECT_EQ(target, burned(source, writes));
    EXPECT_EQ(collected.end(), 42);
    EXPECT_EQ(collected.targetSize(32), 42);
    EXPECT_EQ(collected.targetSize(50), 50);
}

TEST(ImageWrites, BytesEqualToTheOriginalAreNoChange) {
    const std::string source = "0123456789";
    int changed = 0;
    collect({{2, "23"}, {5, "5X7"}})
        .walk(source, [&](ImageWrites::Run run, int64_t address, int64_t length, std::string_view bytes) {
            if (run != ImageWrites::Run::Changed) return;
            ++changed;
            EXPECT_EQ(address, 6);
            EXPECT_EQ(length, 1);
            EXPECT_EQ(bytes, "X");
        });
    EXPECT_EQ(changed, 1);
}

TEST(PatchChecks, CrcFollowsTheFormat) {
    EXPECT_EQ(BpsPatch::crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(BpsPatch::crc32("56789", BpsPatch::crc32("1234")), 0xCBF43926u) << "continued piece by piece";
    EXPECT_EQ(BpsPatch::crc32(""), 0u);
}

TEST(PatchChecks, NumbersReadBackAsWritten) {
    for (uint64_t value : {0ull, 1ull, 127ull, 128ull, 16511ull, 16512ull, 0xFFFFFFFFull, 1ull << 40}) {
        std::string encoded;
        BpsPatch::putNumber(encoded, value);
        encoded += '\x80';  // a guard the reader must not reach
        reference::BpsReader reader(encoded);
        EXPECT_EQ(reader.number(), value);
        EXPECT_EQ(static_cast<uint8_t>(encoded.back()), 0x80);
    }
    std::string one;
    BpsPatch::putNumber(one, 128);
    EXPECT_EQ(one, std::string("\x00\x80", 2)) << "each further byte counts one more";
}

TEST(Patches, RandomBurnsApplyByteForByte) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 300; ++round) {
        std::uniform_int_distribution<std::size_t> sourceSize(0, 3000);
        const std::string source = randomBytes(random, sourceSize(random));
        std::vector<Write> writes;
        std::uniform_int_distribution<int> count(0, 12);
        for (int n = count(random); n > 0; --n) {
            std::uniform_int_distribution<int64_t> where(0, static_cast<int64_t>(source.size()) + 600);
            std::uniform_int_distribution<std::size_t> length(1, 300);
            const int64_t address = where(random);
            std::string bytes = randomBytes(random, length(random));
            // Some writes repeat what is there, so that they change nothing.
            if (n % 3 == 0 && static_cast<std::size_t>(address) < source.size())
                bytes = source.substr(static_cast<std::size_t>(address), bytes.size());
            writes.emplace_back(address, bytes);
        }
        const std::string expected = burned(source, writes);
        const ImageWrites collected = collect(writes);
        ASSERT_EQ(reference::applyIps(IpsPatch::build(source, collected), source), expected) << "round " << round;
        ASSERT_EQ(reference::applyBps(BpsPatch::build(source, collected), source), expected) << "round " << round;
    }
}

TEST(Patches, ABurnThatChangesNothingHasNoRecords) {
    const std::string source = "abcdefgh";
    const ImageWrites same = collect({{1, "bcd"}, {6, "gh"}});
    EXPECT_EQ(IpsPatch::build(source, same), "PATCHEOF");
    EXPECT_EQ(IpsPatch::build(source, ImageWrites()), "PATCHEOF");
    reference::BpsReader::Counts counts;
    EXPECT_EQ(reference::applyBps(BpsPatch::build(source, same), source, &counts), source);
    EXPECT_EQ(counts.sourceRead, 1);
    EXPECT_EQ(counts.targetRead + counts.sourceCopy + counts.targetCopy, 0);
}

TEST(Patches, NoIpsRecordStartsAtTheEofOffset) {
    const std::string source(IpsPatch::kEofOffset + 0x20, '\x11');
    // A change at the offset itself, and a long one whose second record
    // would start there.
    const std::vector<std::vector<Write>> cases = {
        {{IpsPatch::kEofOffset, "\x22"}},
        {{IpsPatch::kEofOffset - IpsPatch::kMaxRecord, std::string(IpsPatch::kMaxRecord + 5, '\x33')}},
        {{IpsPatch::kEofOffset - 1, "\x44\x45"}},
    };
    for (const auto& writes : cases) {
        const std::string patch = IpsPatch::build(source, collect(writes));
        for (const auto& record : reference::ipsRecords(patch)) {
            EXPECT_NE(record.offset, static_cast<uint32_t>(IpsPatch::kEofOffset));
            EXPECT_LE(record.size, static_cast<std::size_t>(IpsPatch::kMaxRecord));
        }
        EXPECT_EQ(reference::applyIps(patch, source), burned(source, writes));
    }
}

TEST(Patches, IpsRefusesChangesAt16MiBAndBpsTakesThem) {
    const std::string source(0x100, '\x7F');
    const std::vector<Write> beyond = {{0x1000000, "x"}};
    try {
        IpsPatch::build(source, collect(beyond));
        FAIL() << "a change at 16 MiB went into an IPS patch";
    } catch (const FormatError& error) {
        EXPECT_NE(std::string(error.what()).find("0x1000000"), std::string::npos) << error.what();
    }
    // The last byte an IPS offset reaches is fine; the zeros before it count.
    const std::vector<Write> last = {{0xFFFFFF, "y"}};
    const std::string patch = IpsPatch::build(source, collect(last));
    EXPECT_EQ(reference::applyIps(patch, source), burned(source, last));

    // BPS writes the long run of zeros as a copy of one zero byte.
    const std::string bps = BpsPatch::build(source, collect(beyond));
    EXPECT_LT(bps.size(), 64u);
    reference::BpsReader::Counts counts;
    EXPECT_EQ(reference::applyBps(bps, source, &counts), burned(source, beyond));
    EXPECT_EQ(counts.targetCopy, 1);
}

TEST(Patches, AnEmptyImageGrowsToTheWrites) {
    const std::vector<Write> writes = {{3, "abc"}, {40, "z"}};
    const std::string expected = burned("", writes);
    EXPECT_EQ(reference::applyIps(IpsPatch::build("", collect(writes)), ""), expected);
    EXPECT_EQ(reference::applyBps(BpsPatch::build("", collect(writes)), ""), expected);
}

}  // namespace
}  // namespace kestrel::test
