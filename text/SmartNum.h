#pragma once
// Converts value words to little-endian byte fields by a type list and back,
// turns image offsets into pointers, and names the parameter type codes.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "text/SmartString.h"

namespace kestrel {

class Autobank;

class SmartNum {
public:
    // `autobank` decides how "$" type entries turn offsets into pointers; it
    // is read at each conversion, so a later switch counts.
    explicit SmartNum(const Autobank& autobank) : autobank_(&autobank) {}

    // Byte string of the values, laid out by the type list in `mask`; `mask`
    // is replaced by the pointer list (target,position,type,...).
    std::string kaCodevals(std::string source, std::string& mask);
    // The same for value words and type entries that are already apart: the
    // result of kaCodevals(words joined by " ", types joined by ",") on a
    // fresh object, with the pointer list in `pointers`.
    std::string kaCodevals(std::span<const std::string_view> words, std::span<const std::string_view> types,
                           std::string& pointers);
    // One "&h" word per type entry, joined by single spaces.
    std::string kaRipvals(const std::string& source, const std::string& mask);
    static bool isvalue(const std::string& data, bool pointchk);
    // The byte field of one value; `size` is the internal (negated) type code.
    // Pointer kinds take the number as the pointer value itself (CPtr turns
    // an offset into one).
    static std::string numberpush(const std::string& number, int size);
    // numberpush appended to `field`.
    static void numberpush(std::string& field, std::string_view number, int size);
    // "&h" word of a little-endian byte string.
    static std::string numberpull(const std::string& bytes, int size = 0);
    // Pointer value of an offset, applying the autobank rule.
    static int32_t CPtr(const std::string& base, const Autobank& autobank);
    // Listing label of an internal code ("" outside -13..0).
    static std::string STransLabel(int size);
    // Field length in bytes (mode other than 0 and 1) or hex digits (mode 1).
    static int STransLength(int size, int mode);

    const SmartString& valueHolder() const { return values_; }

private:
    // The fields of values_ and types_ as bytes; `mask` receives the pointer list.
    std::string codeFields(std::string& mask);

    const Autobank* autobank_;
    SmartString values_;
    SmartString types_;
};

}  // namespace kestrel
