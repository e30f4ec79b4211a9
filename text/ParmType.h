#pragma once
// The parameter types of the command language, one row per type code: the
// field width listings give it, how a parameter of the type is laid out in
// bytecode, and its listing label. Encoder, decoder, number primitives and
// decompiler all ask this table, so they cannot disagree about a code.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kestrel {

// How a parameter occupies the bytecode of its command.
enum class ParmLayout : uint8_t {
    number,   // a little-endian number field of `width` bytes
    pointer,  // four placeholder bytes, patched once the target has an address
    endMark,  // no field; ends the parameter list
    mask,     // the definition's own text decides the bytes; one byte read back
    command,  // one byte: the command byte of a sub-command
};

struct ParmType {
    // The codes a script writes after "addparm".
    enum Code : int {
        byte = 0,
        word = 1,
        dword = 2,
        pointer = 3,
        endMark = 4,
        enumeration = 5,
        mask = 6,
        command = 7,
        textPointer = 8,
        movePointer = 9,
        text = 10,
        userByte = 11,
        userWord = 12,
        userDword = 13,
    };
    // A user parameter ("$1" in a number slot) is marked by its slot's code plus this.
    static constexpr int kUserOffset = userByte - byte;

    int code;
    // Field length in bytes as listings and the number primitives count it.
    // Codes past the table count their own code (so 20 gives 20).
    int width;
    ParmLayout layout;
    // "byte    = ", trailing blanks included; empty past the table.
    std::string_view label;

    bool isPointer() const { return layout == ParmLayout::pointer; }

    // The row of `code`. Pointers are the pointer kinds 3, 8 and 9 and every
    // code from 8 up: text, the user marks and codes a codeset invents are
    // all four-byte pointer slots, which the encoder writes and the decoder
    // reads alike. A negative code is a number field of negative width, a
    // length no field has.
    static constexpr ParmType of(int code);
    // The pointer rule for a code read from a type list, which may be any number.
    static constexpr bool isPointer(double code) {
        return code == static_cast<double>(pointer) || code >= static_cast<double>(textPointer);
    }
};

namespace parmtypes {

using L = ParmLayout;

// Text and the user marks keep their listing widths (10 to 13 bytes), but as
// parameters they are pointer slots like every code from 8 up.
inline constexpr std::array<ParmType, 14> kTable = {{
    {ParmType::byte, 1, L::number, "byte    = "},
    {ParmType::word, 2, L::number, "word    = "},
    {ParmType::dword, 4, L::number, "dword   = "},
    {ParmType::pointer, 4, L::pointer, "Pointer = "},
    {ParmType::endMark, 4, L::endMark, "END OF SCRIPT MARK"},
    {ParmType::enumeration, 5, L::number, "- Enum    = "},
    {ParmType::mask, 6, L::mask, "- Mask    = "},
    {ParmType::command, 1, L::command, "Command   = "},
    {ParmType::textPointer, 4, L::pointer, "Str Point = "},
    {ParmType::movePointer, 4, L::pointer, "Move Point= "},
    {ParmType::text, 10, L::pointer, "String    = "},
    {ParmType::userByte, 11, L::pointer, "User Byte = "},
    {ParmType::userWord, 12, L::pointer, "User Word = "},
    {ParmType::userDword, 13, L::pointer, "User DWord= "},
}};

static_assert(
    [] {
        for (std::size_t i = 0; i < kTable.size(); ++i)
            if (kTable[i].code != static_cast<int>(i)) return false;
        return true;
    }(),
    "rows are indexed by their code");

}  // namespace parmtypes

constexpr ParmType ParmType::of(int code) {
    if (code >= 0 && code < static_cast<int>(parmtypes::kTable.size()))
        return parmtypes::kTable[static_cast<std::size_t>(code)];
    return {code, code, isPointer(code) ? ParmLayout::pointer : ParmLayout::number, {}};
}

}  // namespace kestrel
