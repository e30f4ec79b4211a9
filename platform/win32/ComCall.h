#pragma once
// Failures of calls into wren's COM objects, on kestrel's side of the
// boundary: memory exhaustion as std::bad_alloc, anything else as a
// KestrelError naming the call.
#include <windows.h>

#include <cstdio>
#include <new>
#include <string>

#include "text/KestrelError.h"

namespace kestrel {

class ComCall {
public:
    static void check(HRESULT result, const char* what) {
        if (SUCCEEDED(result)) return;
        if (result == E_OUTOFMEMORY) throw std::bad_alloc();
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
        throw KestrelError(std::string("the text codec library failed in ") + what + " (" + code + ")");
    }
};

}  // namespace kestrel
