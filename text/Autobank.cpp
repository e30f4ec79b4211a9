#include "text/Autobank.h"

#include "text/Numeric.h"

namespace kestrel {

namespace {
constexpr double kImageBase = 134217728.0;  // 0x08000000
}  // namespace

int32_t Autobank::pointerOf(double offset) const {
    if (on_ && offset > 0 && offset < kImageBase) return numeric::toInt32(offset + kImageBase);
    return numeric::toInt32(offset);
}

}  // namespace kestrel
