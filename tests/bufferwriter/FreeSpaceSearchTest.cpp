// The free-space search against a slow, step-by-step form of its rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bufferwriter/FreeSpaceSearch.h"

namespace kestrel::test {
namespace {

using Request = FreeSpaceSearch::Request;

// Bytes of the image from `position`, spaces outside it (also before byte 0).
std::string readPadded(const std::string& image, int64_t position, int64_t count) {
    std::string out;
    for (int64_t i = 0; i < count; ++i) {
        const int64_t at = position + i;
        out += at >= 0 && at < static_cast<int64_t>(image.size()) ? image[static_cast<std::size_t>(at)] : ' ';
    }
    return out;
}

// The rule step by step: a window per step, the first probe match, the
// N-byte check from two past the match, five at most, no address twice.
std::vector<int64_t> reference(const std::string& image, const Request& r) {
    std::vector<int64_t> found;
    const std::string probe(static_cast<std::size_t>(r.probe), static_cast<char>(r.filler));
    const std::string full(static_cast<std::size_t>(r.needed), static_cast<char>(r.filler));
    const auto length = static_cast<int64_t>(image.size());
    for (int64_t off = r.start; off <= length; off += FreeSpaceSearch::kStep) {
        const std::string window = readPadded(image, off - 1, FreeSpaceSearch::kWindow);
        const std::size_t hit = window.find(probe);
        if (hit != std::string::npos) {
            const int64_t c = off + static_cast<int64_t>(hit);
            if (readPadded(image, c + 1, r.needed) == full && std::find(found.begin(), found.end(), c) == found.end()) {
                found.push_back(c);
                if (found.size() == 5) break;
            }
        }
    }
    return found;
}

std::vector<int64_t> search(const std::string& image, const Request& r) {
    return FreeSpaceSearch::find(r, static_cast<int64_t>(image.size()),
                                 [&](int64_t position, char* out, std::size_t count) {
                                     const auto from = static_cast<std::size_t>(position);
                                     const std::size_t n = std::min(count, image.size() - from);
                                     std::memcpy(out, image.data() + from, n);
                                     return n;
                                 });
}

TEST(FreeSpaceSearch, TheWorkedExampleListsOneAddress) {
    std::string image(0x900000, '\x11');
    std::fill(image.begin() + 0x800010, image.begin() + 0x800510, '\xFF');
    const Request r{0xFF, 100, 200, 0x800000};
    EXPECT_EQ(search(image, r), (std::vector<int64_t>{0x800011}));
    EXPECT_EQ(reference(image, r), search(image, r));
}

TEST(FreeSpaceSearch, NeedsTheWholeRunAfterTheMatchNotOnlyTheProbe) {
    std::string image(0x3000, '\x01');
    std::fill(image.begin() + 0x100, image.begin() + 0x100 + 150, '\x00');
    EXPECT_EQ(search(image, {0x00, 100, 148, 0}), (std::vector<int64_t>{0x101}));
    EXPECT_TRUE(search(image, {0x00, 100, 149, 0}).empty());  // the check starts two past the match
    EXPECT_TRUE(search(image, {0xFF, 100, 10, 0}).empty());   // the other filler
}

TEST(FreeSpaceSearch, ShortProbeWithoutTheSafetyBox) {
    std::string image(0x2000, '\x01');
    std::fill(image.begin() + 0x40, image.begin() + 0x40 + 30, '\xFF');
    EXPECT_TRUE(search(image, {0xFF, 100, 20, 0}).empty());
    EXPECT_EQ(search(image, {0xFF, 10, 20, 0}), (std::vector<int64_t>{0x41}));
}

TEST(FreeSpaceSearch, RoomPastTheEndAndStartsOutsideTheImage) {
    std::string image(0x1000, '\x01');
    std::fill(image.end() - 200, image.end(), '\xFF');
    const int64_t matchAt = 0x1000 - 200;
    EXPECT_EQ(search(image, {0xFF, 100, 198, 0}), (std::vector<int64_t>{matchAt + 1}));
    EXPECT_TRUE(search(image, {0xFF, 100, 199, 0}).empty());     // one byte past the end
    EXPECT_TRUE(search(image, {0xFF, 100, 1, 0x1001}).empty());  // start above the length
    EXPECT_TRUE(search(std::string(), {0xFF, 10, 1, 0}).empty());
}

TEST(FreeSpaceSearch, StartZeroReadsTheFirstWindowFromBeforeTheImage) {
    const std::string image(0x3000, '\xFF');
    const Request r{0xFF, 100, 50, 0};
    EXPECT_EQ(search(image, r), reference(image, r));
    EXPECT_EQ(search(image, r).front(), 1);
}

TEST(FreeSpaceSearch, OneLongRunIsListedOncePerWindowAtMostFive) {
    const std::string image(0x10000, '\xFF');
    const Request r{0xFF, 100, 16, 0x100};
    EXPECT_EQ(search(image, r), (std::vector<int64_t>{0x100, 0x1100, 0x2100, 0x3100, 0x4100}));
    EXPECT_EQ(reference(image, r), search(image, r));
}

TEST(FreeSpaceSearch, AMatchInTheOverlapIsNotListedTwice) {
    // The probe sits in the 96 bytes two windows share: both windows find it first.
    std::string image(0x3000, '\x01');
    std::fill(image.begin() + 0x1000 + 10, image.begin() + 0x1000 + 10 + 40, '\xFF');
    const Request r{0xFF, 10, 20, 0x31};
    const auto found = search(image, r);
    EXPECT_EQ(found, reference(image, r));
    EXPECT_EQ(found.size(), 1u);
}

TEST(FreeSpaceSearch, RunsBeyondAWindowsReachAreMissedAsTheRuleSays) {
    // A run that starts after 4192 - probe bytes of a window and is not the
    // first match of the next window is not found.
    std::string image(0x4000, '\x01');
    std::fill(image.begin() + 0x0F00, image.begin() + 0x0F00 + 100, '\xFF');  // first in window 0
    std::fill(image.begin() + 0x1000 + 40, image.begin() + 0x1000 + 400, '\xFF');
    const Request r{0xFF, 100, 50, 0};
    EXPECT_EQ(search(image, r), reference(image, r));
}

TEST(FreeSpaceSearch, AgreesWithTheStepByStepRuleOnRandomImages) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 300; ++round) {
        const auto length = static_cast<std::size_t>(std::uniform_int_distribution<int>(0, 40000)(random));
        std::string image(length, '\0');
        const uint8_t filler = random() % 2 ? 0xFF : 0x00;
        std::size_t at = 0;
        while (at < length) {
            // Runs of filler between stretches of other bytes, some of them filler-like.
            const std::size_t run = std::uniform_int_distribution<std::size_t>(0, random() % 4 ? 300 : 6000)(random);
            const std::size_t other = std::uniform_int_distribution<std::size_t>(0, 700)(random);
            for (std::size_t i = 0; i < run && at < length; ++i) image[at++] = static_cast<char>(filler);
            for (std::size_t i = 0; i < other && at < length; ++i)
                image[at++] = static_cast<char>(random() % 5 == 0 ? static_cast<uint8_t>(~filler) : random() % 256);
        }
        Request r;
        r.filler = random() % 8 == 0 ? static_cast<uint8_t>(~filler) : filler;
        r.probe = random() % 2 ? 100 : 10;
        r.needed = std::uniform_int_distribution<int64_t>(0, 2500)(random);
        r.start = std::uniform_int_distribution<int64_t>(0, static_cast<int64_t>(length) + 10)(random);
        if (random() % 4 == 0) r.start = 0;
        ASSERT_EQ(search(image, r), reference(image, r))
            << "round " << round << " length " << length << " start " << r.start << " N " << r.needed;
    }
}

TEST(FreeSpaceSearch, ChunkBordersDoNotSplitRuns) {
    // A run across the reader's chunk border counts as one run.
    std::string image(FreeSpaceSearch::kChunk + 0x3000, '\x01');
    const std::size_t begin = FreeSpaceSearch::kChunk - 700;
    std::fill(image.begin() + static_cast<std::ptrdiff_t>(begin),
              image.begin() + static_cast<std::ptrdiff_t>(begin + 1500), '\xFF');
    const Request r{0xFF, 100, 1400, static_cast<int64_t>(FreeSpaceSearch::kChunk) - 0x1000};
    EXPECT_EQ(search(image, r), reference(image, r));
    EXPECT_EQ(search(image, r).size(), 1u);
}

}  // namespace
}  // namespace kestrel::test
