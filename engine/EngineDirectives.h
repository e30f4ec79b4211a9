#pragma once
// The directives that steer the engine itself: labels and buffers, switches,
// script inclusion, codesets, shell words, and the program's own controls.
#include <string>
#include <unordered_map>

#include "engine/Control.h"

namespace kestrel {

class EngineDirectives {
public:
    static void install(Control& engine, std::unordered_map<std::string, Control::Handler>& table);
};

} // namespace kestrel
