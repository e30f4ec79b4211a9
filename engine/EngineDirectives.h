#pragma once
// The directives that steer the engine itself: labels and buffers, switches,
// script inclusion, codesets, shell words, and the program's own controls.
#include <string>

#include "engine/EngineContext.h"

namespace kestrel {

class EngineDirectives {
public:
    static void install(EngineContext& engine, EngineContext::DirectiveTable& table);
};

}  // namespace kestrel
