// Seeded random inputs for every entry point that reads untrusted bytes:
// valid inputs truncated at every length, their length, count and buffer
// fields set to hostile values, random edits, and images whose blocks point
// at each other. Iteration counts are fixed; the seed makes every run alike.
#include <array>
#include <vector>

#include "BufferFileLayout.h"
#include "FuzzFixture.h"
#include "Mutator.h"
#include "Seeds.h"

namespace kestrel::fuzz {

namespace {

constexpr uint32_t kSeed = 0x4B455354;  // "KEST"

using Kind = BufferFileLayout::Kind;

// Values each kind of field gets in turn.
std::vector<uint32_t> hostileValues(Kind kind) {
    switch (kind) {
    case Kind::StringLength:
    case Kind::Count: return {0xFFFF, 0, 1, 0x7FFF, 0x8000, 0xFFFE};
    case Kind::RecordOffset: return {0xFFFFFFFF, 0x7FFFFFFF, 0x80000000, 99999, 100000, 1600000, 3200000};
    case Kind::RecordMode: return {0xFFFF, 0x7FFF, 0x8000, 3, 8, 9, 200};
    case Kind::RecordBuffer:
    case Kind::DataBuffer: {
        std::vector<uint32_t> numbers = {15, 16};
        for (uint32_t b = 17; b <= 255; ++b) numbers.push_back(b);
        return numbers;
    }
    }
    return {};
}

}  // namespace

class FuzzTest : public FuzzFixture {
public:
    // Public so that the tests can pass them as member pointers.
    void readbuffer(const std::string& file) {
        survive("readbuffer", file, [](const std::string& in) { entries().readbuffer(in); });
    }
    void decode(const std::string& bytes) {
        survive("decode", bytes, [](const std::string& in) { entries().decode(in); });
    }
    void record(const std::string& bytes) {
        survive("record", bytes, [](const std::string& in) { entries().record(in); });
    }
    void rawdecode(const std::string& image) {
        survive("rawdecode", image, [](const std::string& in) { entries().rawdecode(in); });
    }

protected:
    template <class Run>
    void everyTruncation(const std::vector<Seed>& inputs, Run run) {
        for (const Seed& seed : inputs)
            for (std::size_t length = 0; length <= seed.bytes.size(); ++length)
                (this->*run)(seed.bytes.substr(0, length));
    }
    template <class Run>
    void randomEdits(const std::vector<Seed>& inputs, int perSeed, Run run) {
        Mutator mutator(kSeed);
        for (const Seed& seed : inputs) {
            std::string input = seed.bytes;
            for (int i = 0; i < perSeed; ++i) {
                // Edits pile up for a while, then start again from the seed.
                input = mutator.mutate(i % 8 == 0 ? seed.bytes : input);
                (this->*run)(input);
            }
        }
    }

    Seeds seeds{entries()};
};

TEST_F(FuzzTest, BufferFilesTruncatedAtEveryLength) {
    everyTruncation(seeds.bufferFiles(), &FuzzTest::readbuffer);
    EXPECT_EQ(failures_, 0) << "of " << calls_ << " inputs";
}

TEST_F(FuzzTest, BufferFilesWithHostileLengthsCountsAndBufferNumbers) {
    // Every buffer number on the first data record; a sample on the others
    // and on the buffer bytes of labels and pointers.
    bool swept = false;
    for (const Seed& seed : seeds.bufferFiles()) {
        const auto fields = BufferFileLayout::fields(seed.bytes);
        ASSERT_FALSE(fields.empty()) << seed.name;
        for (const auto& field : fields) {
            const bool sweep = field.kind == Kind::DataBuffer && !swept;
            swept = swept || sweep;
            const bool sample = field.kind == Kind::RecordBuffer || (field.kind == Kind::DataBuffer && !sweep);
            const std::vector<uint32_t> values =
                sample ? std::vector<uint32_t>{16, 17, 100, 255} : hostileValues(field.kind);
            for (const uint32_t value : values)
                readbuffer(Mutator::withField(seed.bytes, field.offset, field.width, value));
        }
    }
    EXPECT_EQ(failures_, 0) << "of " << calls_ << " inputs";
}

TEST_F(FuzzTest, BufferFilesWithRandomEdits) {
    randomEdits(seeds.bufferFiles(), 150, &FuzzTest::readbuffer);
    EXPECT_EQ(failures_, 0) << "of " << calls_ << " inputs";
}

TEST_F(FuzzTest, BytecodeOfEveryShortLength) {
    // Every single byte, and every command byte followed by each byte value:
    // fields cut short, binds, aliases and end marks at the end of a block.
    for (int a = 0; a < 256; ++a) {
        decode(std::string(1, static_cast<char>(a)));
        if (a > 0x20) continue;
        for (int b = 0; b < 256; ++b) decode(std::string{static_cast<char>(a), static_cast<char>(b)});
    }
    EXPECT_EQ(failures_, 0) << "of " << calls_ << " inputs";
}

TEST_F(FuzzTest, BytecodeTruncatedAndEdited) {
    everyTruncation(seeds.bytecode(), &FuzzTest::decode);
    randomEdits(seeds.bytecode(), 5000, &FuzzTest::decode);
    EXPECT_EQ(failures_, 0) << "of " << calls_ << " inputs";
}

TEST_F(FuzzTest, RecordDataTruncatedEditedAndRandom) {
    everyTruncation(seeds.records(), &FuzzTest::record);
    randomEdits(seeds.records(), 1000, &FuzzTest::record);
    Mutator mutator(kSeed);
    for (int i = 0; i < 300; ++i) {
        std::string bytes(mutator.below(600), '\0');
        for (char& c : bytes) c = static_cast<char>(mutator.below(256));
        record(bytes);
    }
    EXPECT_EQ(failures_, 0) << "of " << calls_ << " inputs";
}

TEST_F(FuzzTest, ImagesTruncatedAndEdited) {
    everyTruncation(seeds.images(), &FuzzTest::rawdecode);
    randomEdits(seeds.images(), 60, &FuzzTest::rawdecode);
    EXPECT_EQ(failures_, 0) << "of " << calls_ << " inputs";
}

TEST_F(FuzzTest, ImagesOfBlocksThatPointAtEachOther) {
    // Two to six blocks, each a few statements and then pointers to other
    // blocks, itself or the start: chains, cycles and blocks that overlap.
    static const std::array<const char*, 8> plain = {"wait 5",     "flag 0x1234", "music 2", "menu 2 7 8",
                                                     "repeat 1 2", "halt 3",      "tap 5",   "turnleft 1"};
    static const std::array<const char*, 6> pointing = {"goto", "call", "if 1", "hop", "say", "walk 2"};
    Mutator mutator(kSeed);
    for (int i = 0; i < 200; ++i) {
        std::vector<int> starts = {EntryPoints::kWalkStart};
        const uint32_t blocks = 2 + mutator.below(5);
        while (starts.size() < blocks) starts.push_back(static_cast<int>(2 + mutator.below(0xF0)));
        std::string image(1, '\0');
        for (const int start : starts) {
            std::vector<std::string> statements;
            for (uint32_t n = mutator.below(3); n > 0; --n) statements.push_back(plain[mutator.below(plain.size())]);
            for (uint32_t n = 1 + mutator.below(3); n > 0; --n)
                statements.push_back(std::string(pointing[mutator.below(pointing.size())]) + " " +
                                     std::to_string(starts[mutator.below(static_cast<uint32_t>(starts.size()))]));
            if (mutator.below(2)) statements.push_back("end");
            Seeds::place(image, static_cast<std::size_t>(start), seeds.assemble(statements));
        }
        rawdecode(image);
    }
    EXPECT_EQ(failures_, 0) << "of " << calls_ << " inputs";
}

}  // namespace kestrel::fuzz
