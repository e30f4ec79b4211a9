#include "bufferwriter/BurnReview.h"

#include "bufferwriter/AddressText.h"

namespace kestrel {

std::vector<std::string> BurnReview::lines() const {
    std::vector<std::string> out;
    for (const BurnPlan::Label& label : plan.labels)
        out.push_back("label " + label.name + " at " + address::hex(label.address) + ", " + std::to_string(label.size) +
                      " bytes");
    for (const BurnPlan::Pointer& pointer : plan.pointers)
        out.push_back(
            "pointer to " + pointer.name + " in buffer " + std::to_string(pointer.buffer) + " at byte " +
            std::to_string(pointer.position) + ": " +
            (pointer.resolved ? address::hex(static_cast<uint32_t>(pointer.value)) : std::string("no address")));
    for (const BurnPlan::Problem& problem : plan.problems) out.push_back("problem: " + problem.text);
    for (const std::string& warning : warnings) out.push_back("problem: " + warning);
    if (!complete) out.push_back("incomplete: " + missing);
    return out;
}

}  // namespace kestrel
