#include "bufferwriter/BurnPlan.h"

#include "bufferwriter/AddressText.h"
#include "text/Numeric.h"

namespace kestrel {

std::vector<std::string> BurnPlan::lines() const {
    std::vector<std::string> out;
    for (const Label& label : labels)
        out.push_back("label " + label.name + " at " + address::hex(label.address) + ", " +
                      std::to_string(label.size) + " bytes" + (label.floated ? " (floating)" : ""));
    for (const Pointer& pointer : pointers)
        out.push_back("pointer to " + pointer.target + " in buffer " + std::to_string(pointer.buffer) + " at byte " +
                      std::to_string(pointer.position) + ": " + address::hex(pointer.address) + " written as &H" +
                      numeric::hexText(pointer.value));
    for (const std::string& problem : problems) out.push_back("problem: " + problem);
    if (!complete) out.push_back("incomplete: " + missing);
    return out;
}

} // namespace kestrel
