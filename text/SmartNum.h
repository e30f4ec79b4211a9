#pragma once
// Converts value words to little-endian byte fields by a type list and back,
// turns image offsets into pointers, and names the parameter type codes.
#include <cstdint>
#include <string>

#include "text/SmartString.h"

namespace kestrel {

class SmartNum {
public:
    // Byte string of the values, laid out by the type list in `mask`; `mask`
    // is replaced by the pointer list (target,position,type,...).
    std::string kaCodevals(std::string source, std::string& mask);
    // One "&h" word per type entry, joined by single spaces.
    std::string kaRipvals(const std::string& source, const std::string& mask);
    static bool isvalue(const std::string& data, bool pointchk);
    // The byte field of one value; `size` is the internal (negated) type code.
    static std::string numberpush(const std::string& number, int size);
    // "&h" word of a little-endian byte string.
    static std::string numberpull(const std::string& bytes, int size = 0);
    // Pointer value of an offset, applying the autobank rule.
    static int32_t CPtr(const std::string& base);
    // Listing label of an internal code ("" outside -13..0).
    static std::string STransLabel(int size);
    // Field length in bytes (mode other than 0 and 1) or hex digits (mode 1).
    static int STransLength(int size, int mode);

    const SmartString& valueHolder() const { return values_; }

private:
    SmartString values_;
    SmartString types_;
};

} // namespace kestrel
