#include "engine/LineImages.h"

#include "services/ImageWorkingCopy.h"
#include "text/KestrelError.h"

namespace kestrel {

LineImages::LineImages(Platform& platform) : platform_(platform) {}

LineImages::~LineImages() = default;

ImageWorkingCopy& LineImages::open(const std::string& image) {
    const std::string identity = ImageWorkingCopy::identity(ImageWorkingCopy::followLinks(image));
    for (auto& copy : copies_)
        if (ImageWorkingCopy::identity(copy->realFile()) == identity) return *copy;
    copies_.push_back(std::make_unique<ImageWorkingCopy>(platform_, image));
    return *copies_.back();
}

std::string LineImages::workingCopyOf(const std::string& image) const {
    if (copies_.empty()) return "";
    const std::string identity = ImageWorkingCopy::identity(ImageWorkingCopy::followLinks(image));
    for (const auto& copy : copies_)
        if (ImageWorkingCopy::identity(copy->realFile()) == identity) return copy->path();
    return "";
}

void LineImages::burned(const BurnPlan& plan, bool autobank) {
    if (symbols_) lineSymbols_.add(plan, autobank);
}

LineImages::Outcome LineImages::finish() {
    Outcome outcome;
    for (auto& copy : copies_) {
        if (failed_) {
            outcome.kept.push_back(copy->image());
            copy->discard();
            continue;
        }
        try {
            copy->commit();
        } catch (const KestrelError& error) {
            outcome.problems.push_back(error.what());
        }
    }
    if (symbols_ && !failed_ && outcome.problems.empty()) symbols_->merge(lineSymbols_);
    lineSymbols_.clear();
    copies_.clear();
    failed_ = false;
    return outcome;
}

void LineImages::abandon() {
    lineSymbols_.clear();
    copies_.clear();
    failed_ = false;
}

}  // namespace kestrel
