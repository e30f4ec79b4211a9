#pragma once
// Decompiling (buffer set or image back to script text) and its directives:
// `decode` (a buffer file to a script), `rawdecode` (an image from an offset
// to a script) and `kascript`.
#include <cstdint>
#include <string>
#include <unordered_map>

#include "engine/Control.h"

namespace kestrel {

class Decompiler {
public:
    static void install(Control& engine, std::unordered_map<std::string, Control::Handler>& table);

    // Every labelled block of buffers 0..15 as script text into slot 16.
    static void KaScript(Control& engine);
    // The block at `offset` of the open image and every block its pointers reach.
    static void kascriptraw(Control& engine, int32_t offset, int mode);
};

} // namespace kestrel
