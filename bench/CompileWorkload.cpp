#include "bench/CompileWorkload.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <numeric>
#include <stdexcept>

#include "bench/BenchRandom.h"

namespace kestrel::bench {

namespace {

constexpr int kMaxBlockLines = 200;

void appendHex(std::string& out, uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    out += text;
}

}  // namespace

CompileWorkload::CompileWorkload(const BenchCodeset& codeset, CompileOptions options)
    : codeset_(codeset), options_(std::move(options)) {
    if (options_.lines < 1) throw std::invalid_argument("a compile workload needs at least one line");
    BenchRandom random(options_.seed);

    // Blocks of 1 to 200 lines, so about 100 per label.
    for (int64_t done = 0; done < options_.lines;) {
        Block block;
        block.firstLine = done;
        block.lineCount =
            static_cast<int32_t>(std::min<int64_t>(random.between(1, kMaxBlockLines), options_.lines - done));
        done += block.lineCount;
        blocks_.push_back(block);
    }
    const auto blockCount = static_cast<uint32_t>(blocks_.size());

    const int commandCount = static_cast<int>(codeset_.commands().size());
    lines_.reserve(static_cast<std::size_t>(options_.lines));
    values_.reserve(static_cast<std::size_t>(options_.lines) * 2);
    for (Block& block : blocks_) {
        for (int32_t i = 0; i < block.lineCount; ++i) {
            const int index = random.percent(2)
                                  ? codeset_.stopIndex()
                                  : 1 + static_cast<int>(random.below(static_cast<uint32_t>(commandCount - 1)));
            const BenchCommand& command = codeset_.command(index);
            lines_.push_back({static_cast<uint16_t>(index), static_cast<uint32_t>(values_.size())});
            for (Field field : command.fields) {
                uint32_t value = 0;
                switch (field) {
                case Field::Byte: value = random.below(256); break;
                case Field::Word: value = random.below(65536); break;
                case Field::Dword:
                    value = random.percent(50) ? random.below(100000) : static_cast<uint32_t>(random.next());
                    break;
                case Field::Pointer:
                    value = random.below(blockCount);
                    ++pointers_;
                    break;
                }
                values_.push_back(value);
            }
            block.size += command.size();
        }
    }

    // Chunks in script order: each block goes to a random buffer; the first
    // block that would overfill its buffer starts the next chunk.
    std::array<int32_t, 16> filled{};
    for (Block& block : blocks_) {
        if (block.size > options_.bufferCap) throw std::invalid_argument("buffer cap below the size of one block");
        block.buffer = static_cast<uint8_t>(random.below(16));
        if (filled[block.buffer] + block.size > options_.bufferCap) {
            ++chunks_;
            filled.fill(0);
        }
        filled[block.buffer] += block.size;
        block.chunk = chunks_;
        block.named = random.percent(25);
    }
    ++chunks_;

    // Addresses: the blocks in a shuffled order, one after another with
    // small gaps, so that the script places its labels all over the image.
    std::vector<uint32_t> order(blocks_.size());
    std::iota(order.begin(), order.end(), 0U);
    for (std::size_t i = order.size(); i > 1; --i)
        std::swap(order[i - 1], order[random.below(static_cast<uint32_t>(i))]);
    int64_t address = options_.firstAddress;
    for (uint32_t index : order) {
        Block& block = blocks_[index];
        block.address = static_cast<int32_t>(address);
        address += block.size;
        imageSize_ = address;
        address += random.below(32);
    }
}

std::string CompileWorkload::labelName(std::size_t block) const { return "lbl" + std::to_string(block); }

// Byte, word and dword values are written in decimal or in one of the
// hexadecimal forms; pointers name a label of the chunk or give an address.
void CompileWorkload::renderValue(std::string& out, Field field, uint32_t value, const Block& from,
                                  uint64_t style) const {
    switch (field) {
    case Field::Byte:
        if (style % 4 == 0) {
            char text[8];
            std::snprintf(text, sizeof text, "#%X", value);
            out += text;
        } else if (style % 4 == 1) {
            appendHex(out, value, 2);
        } else {
            out += std::to_string(value);
        }
        return;
    case Field::Word:
        if (style % 2 == 0)
            appendHex(out, value, 1);
        else
            out += std::to_string(value);
        return;
    case Field::Dword:
        // A decimal dword must read as a signed 32-bit number.
        if (style % 2 == 0 || value > 0x7FFFFFFFU)
            appendHex(out, value, 1);
        else
            out += std::to_string(value);
        return;
    case Field::Pointer: {
        const Block& target = blocks_[value];
        if (target.named && target.chunk == from.chunk) {
            out += labelName(value);
        } else if (style % 2 == 0) {
            // Eight digits: up to four hexadecimal digits read as a signed 16-bit number.
            appendHex(out, static_cast<uint32_t>(target.address), 8);
        } else {
            out += std::to_string(target.address);
        }
        return;
    }
    }
}

void CompileWorkload::writeScript(std::ostream& out) const {
    BenchRandom style(options_.seed ^ 0x5C417E);
    std::string text;
    text.reserve(1 << 20);
    auto flush = [&] {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        text.clear();
    };
    text += "' Kestrel compile benchmark: " + std::to_string(lines_.size()) + " command lines under " +
            std::to_string(blocks_.size()) + " labels, burned in " + std::to_string(chunks_) + " chunks\n";
    std::size_t next = 0;
    for (int chunk = 0; chunk < chunks_; ++chunk) {
        const std::size_t first = next;
        while (next < blocks_.size() && blocks_[next].chunk == chunk) ++next;
        text += "' chunk " + std::to_string(chunk) + "\n";
        for (std::size_t b = first; b < next; ++b) {
            if (!blocks_[b].named) continue;
            text += "#kapush " + labelName(b) + " ";
            appendHex(text, static_cast<uint32_t>(blocks_[b].address), 8);
            text += "\n";
        }
        for (std::size_t b = first; b < next; ++b) {
            const Block& block = blocks_[b];
            text += "#org ";
            if (block.named)
                text += labelName(b);
            else
                appendHex(text, static_cast<uint32_t>(block.address), 8);
            text += ' ';
            text += std::to_string(block.buffer);
            text += '\n';
            for (int64_t i = block.firstLine; i < block.firstLine + block.lineCount; ++i) {
                const Line& line = lines_[static_cast<std::size_t>(i)];
                const BenchCommand& command = codeset_.command(line.command);
                text += command.keyword;
                for (std::size_t j = 0; j < command.fields.size(); ++j) {
                    text += ' ';
                    renderValue(text, command.fields[j], values_[line.firstValue + j], block, style.next());
                }
                if (style.percent(1)) text += " ' a note";
                text += '\n';
            }
            if (text.size() > (1 << 20) - 4096) flush();
        }
        text += "#kapop " + options_.image + "\n#kableewy\n";
    }
    flush();
}

void CompileWorkload::writeGas(std::ostream& out) const {
    const std::string base = "kimg";
    std::string text = "# Kestrel compile benchmark as GNU assembler macros: the same bytes at the same addresses.\n";
    text += codeset_.gasMacros(base);
    text += "\n.data\n" + base + ":\n";
    std::vector<std::size_t> order(blocks_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [this](std::size_t a, std::size_t b) { return blocks_[a].address < blocks_[b].address; });
    auto symbol = [this](std::string& to, std::size_t block) {
        char name[16];
        std::snprintf(name, sizeof name, "B%08X", static_cast<uint32_t>(blocks_[block].address));
        to += name;
    };
    for (std::size_t b : order) {
        const Block& block = blocks_[b];
        text += ".org ";
        appendHex(text, static_cast<uint32_t>(block.address), 8);
        text += '\n';
        symbol(text, b);
        text += ":\n";
        for (int64_t i = block.firstLine; i < block.firstLine + block.lineCount; ++i) {
            const Line& line = lines_[static_cast<std::size_t>(i)];
            const BenchCommand& command = codeset_.command(line.command);
            text += command.keyword;
            for (std::size_t j = 0; j < command.fields.size(); ++j) {
                text += j ? ", " : " ";
                const uint32_t value = values_[line.firstValue + j];
                if (command.fields[j] == Field::Pointer)
                    symbol(text, value);
                else
                    appendHex(text, value, 1);
            }
            text += '\n';
        }
        if (text.size() > (1 << 20) - 4096) {
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
            text.clear();
        }
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace kestrel::bench
