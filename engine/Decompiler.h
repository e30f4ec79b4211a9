#pragma once
// Decompiling (buffer set or image back to script text) and its directives:
// `decode` (a buffer file to a script), `rawdecode` (an image from an offset
// to a script) and `kascript`.
#include <cstdint>
#include <string>

#include "engine/EngineContext.h"

namespace kestrel {

class Decompiler {
public:
    static void install(EngineContext& engine, EngineContext::DirectiveTable& table);

    // Every labelled block of buffers 0..15 as script text into slot 16.
    static void KaScript(EngineContext& engine);
    // The block at `offset` of the open image and every block its pointers reach.
    static void kascriptraw(EngineContext& engine, int32_t offset, int mode);
};

}  // namespace kestrel
