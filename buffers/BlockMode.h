#pragma once
// What the bytes under a label are, by the label's mode: compiled commands,
// encoded text, or raw (record) data. A pointer's mode is its parameter type
// code, so the three pointer kinds name the block they lead to: a pointer (3)
// commands, a text pointer (8) a text, a movement pointer (9) raw data.
#include <cstdint>
#include <optional>

#include "text/ParmType.h"

namespace kestrel {

enum class BlockMode : int16_t {
    commands = ParmType::pointer,
    text = ParmType::textPointer,
    raw = ParmType::movePointer,
};

// The mode stored in a label or pointer record.
constexpr int16_t modeCode(BlockMode mode) { return static_cast<int16_t>(mode); }

// The block a record's mode stands for: every mode above the text mode is
// raw data; any other mode is no block the decompiler reads (nullopt).
constexpr std::optional<BlockMode> blockModeOf(int mode) {
    if (mode == modeCode(BlockMode::commands)) return BlockMode::commands;
    if (mode == modeCode(BlockMode::text)) return BlockMode::text;
    if (mode > modeCode(BlockMode::text)) return BlockMode::raw;
    return std::nullopt;
}

}  // namespace kestrel
