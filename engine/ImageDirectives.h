#pragma once
// The directives that move the whole buffer set between memory, buffer files
// and images: `encode` (compile a script into a buffer file), `kapoke` (write
// a buffer file), `kapeek` (load one) and `kapop` (burn into an image).
#include <string>
#include <unordered_map>

#include "engine/Control.h"

namespace kestrel {

class ImageDirectives {
public:
    static void install(Control& engine, std::unordered_map<std::string, Control::Handler>& table);
};

} // namespace kestrel
