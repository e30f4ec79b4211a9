#include "commands/ParmSpec.h"

#include "text/Numeric.h"
#include "text/SmartString.h"

namespace kestrel {

ParmSpec ParmSpec::parse(const std::string& spec) {
    ParmSpec out;
    const std::size_t open = spec.find('(');
    const std::size_t close = spec.find(')');
    if (open != std::string::npos) out.kind = spec.substr(0, open);
    if (open != std::string::npos && close != std::string::npos && close > open)
        out.list = spec.substr(open + 1, close - open - 1);
    else
        out.list = spec;
    if (close != std::string::npos && close + 1 < spec.size()) out.tail = spec.substr(close + 1);

    SmartString pieces;
    pieces.kaSplit(out.list, ",");
    out.entries.reserve(static_cast<std::size_t>(pieces.count() + 1));
    out.readings.reserve(out.entries.capacity());
    for (int i = 0; i <= pieces.count(); ++i) {
        out.entries.push_back(pieces.values(i));
        out.readings.push_back(numeric::read(out.entries.back()));
    }
    return out;
}

int ParmSpec::indexOf(double reading) const {
    for (std::size_t i = 0; i < readings.size(); ++i)
        if (readings[i] == reading) return static_cast<int>(i);
    return -1;
}

}  // namespace kestrel
