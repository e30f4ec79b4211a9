// libFuzzer target: bytecode blocks through EntryPoints::decode (see EntryPoints.h).
#include "FuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    return kestrel::fuzz::runTarget(&kestrel::fuzz::EntryPoints::decode, data, size);
}
