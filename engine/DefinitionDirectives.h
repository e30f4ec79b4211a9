#pragma once
// The directives with which codeset headers define the language: commands,
// aliases and their parameters, parameter words and character tables.
#include <string>
#include <unordered_map>

#include "engine/Control.h"

namespace kestrel {

class DefinitionDirectives {
public:
    static void install(Control& engine, std::unordered_map<std::string, Control::Handler>& table);
};

} // namespace kestrel
