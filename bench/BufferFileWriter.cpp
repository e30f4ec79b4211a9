#include "bench/BufferFileWriter.h"

#include <cstdio>
#include <stdexcept>

#include "bench/BenchRandom.h"

namespace kestrel::bench {

namespace {

void putInt(std::string& out, int32_t value, int width) {
    for (int i = 0; i < width; ++i) out += static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
}

void putCount(std::string& out, std::size_t count) {
    if (count > static_cast<std::size_t>(BufferFileWriter::kLimit))
        throw std::length_error("a buffer file holds at most 32767 items of a kind");
    putInt(out, static_cast<int32_t>(count), 2);
}

void putString(std::string& out, const std::string& text) {
    putInt(out, 8, 2);
    putCount(out, text.size());
    out += text;
}

void putRecord(std::string& out, const BufferRecord& record) {
    putInt(out, record.buffer, 1);
    putInt(out, record.offset, 4);
    putInt(out, record.mode, 2);
    putString(out, record.name);
}

// Label "b<buffer>l<index>" of the limits set.
std::string limitName(int buffer, int32_t index) {
    char name[24];
    std::snprintf(name, sizeof name, "b%dl%d", buffer, static_cast<int>(index));
    return name;
}

}  // namespace

std::string BufferFileWriter::bytes() const {
    std::string out;
    putString(out, "Kestrel");
    putString(out, comment);
    putCount(out, pointers.size());
    for (const BufferRecord& pointer : pointers) putRecord(out, pointer);
    for (const auto& list : labels) {
        putCount(out, list.size());
        for (const BufferRecord& label : list) putRecord(out, label);
    }
    for (int b = 0; b < 16; ++b) {
        if (data[b].empty()) continue;
        putInt(out, b, 1);
        putString(out, data[b]);
    }
    return out;
}

BufferFileWriter BufferFileWriter::atLimits(uint64_t seed) {
    BenchRandom random(seed);
    BufferFileWriter file;
    file.comment.assign(static_cast<std::size_t>(kLimit), ' ');
    for (char& c : file.comment) c = static_cast<char>('a' + random.below(26));
    for (int b = 0; b < 16; ++b) {
        std::string& data = file.data[b];
        data.resize(static_cast<std::size_t>(kLimit));
        for (char& c : data) c = static_cast<char>(random.below(256));
        auto& labels = file.labels[b];
        labels.reserve(static_cast<std::size_t>(kLimit));
        for (int32_t i = 0; i < kLimit; ++i) labels.push_back({static_cast<uint8_t>(b), i, 9, limitName(b, i)});
    }
    // Pointer slots every 16 bytes of every buffer, until the format is full.
    for (int32_t i = 0; i < kLimit; ++i) {
        const int b = i % 16;
        const int32_t position = (i / 16) * 16;
        const std::string target =
            limitName(static_cast<int>(random.below(16)), static_cast<int32_t>(random.below(kLimit)));
        file.pointers.push_back({static_cast<uint8_t>(b), b * kBufferStride + position, 3, target});
    }
    return file;
}

}  // namespace kestrel::bench
