#pragma once
// The directives that move the whole buffer set between memory, buffer files
// and images: `encode` (compile a script into a buffer file), `kapoke` (write
// a buffer file), `kapeek` (load one) and `kapop` (burn into an image).
#include <string>

#include "engine/EngineContext.h"

namespace kestrel {

class ImageDirectives {
public:
    static void install(EngineContext& engine, EngineContext::DirectiveTable& table);
};

}  // namespace kestrel
