#include "buffers/BurnPlan.h"

#include <algorithm>

namespace kestrel {

bool BurnPlan::hasHardProblems() const {
    return std::any_of(problems.begin(), problems.end(),
                       [](const Problem& problem) { return problem.kind != ProblemKind::FloatingPointer; });
}

int64_t BurnPlan::end() const {
    int64_t last = 0;
    for (const Label& label : labels)
        if (label.size > 0) last = std::max(last, label.address + label.size);
    return last;
}

std::string BurnPlan::describeProblems() const {
    std::string text;
    for (const Problem& problem : problems) {
        if (!text.empty()) text += '\n';
        text += problem.text;
    }
    return text;
}

}  // namespace kestrel
