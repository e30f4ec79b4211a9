#pragma once
// The directive that burns the buffer set into an image (`kapop`).
#include <string>

#include "engine/EngineContext.h"

namespace kestrel {

class ImageDirectives {
public:
    static void install(EngineContext& engine, EngineContext::DirectiveTable& table);
};

} // namespace kestrel
