#pragma once
// A burn as plover checks it before writing: the buffer set's plan (every
// label's address, every pointer's value) and what plover finds wrong with
// it beyond the plan's own problems: labels that overlap each other or run
// past the image's end, and addresses that nobody gave.
#include <string>
#include <vector>

#include "buffers/BurnPlan.h"

namespace kestrel {

struct BurnReview {
    BurnPlan plan;
    // Overlaps and labels past the end, one sentence each: the burn asks
    // Yes/No about them.
    std::vector<std::string> warnings;
    // False when an address was needed and not given: nothing may be burned.
    bool complete = true;
    std::string missing;

    // Problems that forbid the burn whatever the answer.
    bool refused() const { return !complete || plan.hasHardProblems(); }
    // The review as --dry-run prints it, one line per label and pointer.
    std::vector<std::string> lines() const;
};

}  // namespace kestrel
