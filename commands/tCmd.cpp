#include "commands/tCmd.h"

#include <utility>

#include "text/KestrelError.h"
#include "text/Numeric.h"

namespace kestrel {

namespace {

void checkIndex(int index, const char* what) {
    if (index < 0 || index >= tCmd::kMaxParms)
        throw OutOfRangeError(std::string(what) + " index " + numeric::decimal(index));
}

}  // namespace

uint8_t tCmd::Parmsise(int index) const {
    checkIndex(index, "Parmsise");
    return parmsise_[static_cast<size_t>(index)];
}

void tCmd::setParmsise(int index, uint8_t type) {
    checkIndex(index, "Parmsise");
    parmsise_[static_cast<size_t>(index)] = type;
}

const std::string& tCmd::ParmDesc(int index) const {
    checkIndex(index, "ParmDesc");
    return parmDesc_[static_cast<size_t>(index)];
}

void tCmd::setParmDesc(int index, std::string spec) {
    checkIndex(index, "ParmDesc");
    parmDesc_[static_cast<size_t>(index)] = std::move(spec);
}

void tCmd::addparm(uint8_t type) {
    setParmsise(parmcnt, type);
    ++parmcnt;
}

void tCmd::addparm(uint8_t type, std::string spec) {
    setParmsise(parmcnt, type);
    setParmDesc(parmcnt, std::move(spec));
    ++parmcnt;
}

}  // namespace kestrel
