#pragma once
// The generated codeset of the benchmarks: a stop command (byte 00, an
// end-of-script mark) and commands k001..k999 with byte, word, dword and
// pointer parameters, the same on every run. It can write itself as a
// codeset header and as GNU assembler macros that lay out the same bytes.
#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::bench {

// Parameter type codes of the command language that the codeset uses.
enum class Field : uint8_t { Byte = 0, Word = 1, Dword = 2, Pointer = 3 };

int fieldWidth(Field field);

struct BenchCommand {
    std::string keyword;
    uint8_t byte = 0;
    bool stop = false;  // the end-of-script mark: no fields, ends an image block
    std::vector<Field> fields;

    // Bytes of one encoded line: the command byte and its fields.
    int size() const;
    bool hasPointer() const;
};

class BenchCodeset {
public:
    static constexpr int kCommands = 1000;
    // Name of the codeset folder (boot it with "#boot bench").
    static constexpr const char* kName = "bench";

    explicit BenchCodeset(int commands = kCommands);

    const std::vector<BenchCommand>& commands() const { return commands_; }
    const BenchCommand& command(int index) const { return commands_[static_cast<std::size_t>(index)]; }
    int stopIndex() const { return 0; }
    // Commands 1..255 own their byte: they are the ones the decoder finds for
    // it (later commands share a byte with an earlier one).
    static bool ownsByte(int index) { return index > 0 && index < 256; }

    // The header script: one #addcmmd line and its #addparm lines per command.
    std::string includesText() const;
    // One .macro per command emitting .byte/.2byte/.4byte; pointer arguments
    // are labels, written as label - `base` + 0x08000000.
    std::string gasMacros(const std::string& base) const;

private:
    std::vector<BenchCommand> commands_;
};

}  // namespace kestrel::bench
