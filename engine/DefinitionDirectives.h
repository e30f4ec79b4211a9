#pragma once
// The directives with which codeset headers define the language: commands,
// aliases and their parameters, parameter words and character tables.
#include <string>

#include "engine/EngineContext.h"

namespace kestrel {

class DefinitionDirectives {
public:
    static void install(EngineContext& engine, EngineContext::DirectiveTable& table);
};

}  // namespace kestrel
