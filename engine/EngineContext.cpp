#include "engine/EngineContext.h"

#include "text/SmartString.h"

namespace kestrel {

int EngineContext::Call::count() const { return words.count(); }

const std::string& EngineContext::Call::arg(int index) const { return words.values(index); }

}  // namespace kestrel
