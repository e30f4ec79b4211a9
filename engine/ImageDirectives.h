#pragma once
// The directive that burns the buffer set into an image (`kapop`).
#include <string>
#include <unordered_map>

#include "engine/Control.h"

namespace kestrel {

class ImageDirectives {
public:
    static void install(Control& engine, std::unordered_map<std::string, Control::Handler>& table);
};

} // namespace kestrel
