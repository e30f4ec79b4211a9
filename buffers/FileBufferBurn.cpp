// Burning the buffer set into an image, in two steps: a plan that gives every
// label an address and every pointer its value without changing anything,
// then the plan carried out (pushes, pointer patches, each label's bytes at
// its address). A plan with a problem writes nothing.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>
#include <unordered_map>

#include "buffers/FileBuffer.h"
#include "services/FileHandle.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/SmartString.h"

namespace kestrel {

namespace {

std::string_view withoutMergePrefix(std::string_view name) {
    const auto dot = name.find('.');
    return dot == std::string_view::npos ? name : name.substr(dot + 1);
}

bool fitsInt32(int64_t value) {
    return value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max();
}

}  // namespace

BurnPlan FileBuffer::planBurn(const PointerResolver& resolve) const {
    BurnPlan plan;
    // Addresses the plan gives, over those pushed before: later phases read
    // pushed() after the labels were pushed, and this is what they would see.
    // Keyed by the label records' own names, which outlive the planning.
    std::unordered_map<std::string_view, int64_t, textkit::FoldedHash, textkit::FoldedEqual> given;
    auto addressOf = [&](const std::string& name) -> int64_t {
        if (auto where = given.find(std::string_view(name)); where != given.end()) return where->second;
        return pushedAddress(name).value_or(0);
    };
    std::size_t labelCount = 0;
    for (const OffsetList& list : labels_) labelCount += list.items().size();
    plan.labels.reserve(labelCount);
    given.reserve(labelCount);
    // Per planned label, the entry of `given` that holds its final address
    // (nullptr: its pushed address, which the plan does not change).
    std::vector<const int64_t*> finalAddress;
    finalAddress.reserve(labelCount);

    // Floating labels follow the label before them; the running address
    // carries on from one buffer into the next.
    int64_t running = 0;
    for (int b = 0; b < kDataBuffers; ++b) {
        const std::vector<OffsetList::Item>& items = labels_[static_cast<std::size_t>(b)].items();
        const auto length = static_cast<int64_t>(slots_[static_cast<std::size_t>(b)].bytes.size());
        int32_t previous = 0;
        for (std::size_t i = 0; i < items.size(); ++i) {
            const fOffsett& label = *items[i];
            BurnPlan::Label placed;
            placed.name = label.name;
            placed.buffer = b;
            placed.number = static_cast<int32_t>(i + 1);
            placed.offset = label.Offset;
            // Get_Data's span: up to the next label in list order, clamped.
            const int64_t from = std::clamp<int64_t>(label.Offset, 0, length);
            int64_t to = length;
            if (i + 1 < items.size()) to = std::clamp<int64_t>(items[i + 1]->Offset, from, length);
            placed.size = static_cast<int32_t>(to - from);

            auto known = given.find(std::string_view(label.name));
            const int64_t fixed = known != given.end() ? known->second : pushedAddress(label.name).value_or(0);
            if (fixed != 0) {
                running = fixed;
            } else {
                const std::string_view rest = withoutMergePrefix(label.name);
                if (SmartString::isvalue(rest, false)) {
                    const double value = numeric::read(rest);
                    // Anything this far out is reported below as out of range.
                    running = std::fabs(value) < 1e15 ? static_cast<int64_t>(std::nearbyint(value))
                                                      : std::numeric_limits<int64_t>::max() / 2;
                } else
                    running += static_cast<int64_t>(label.Offset) - previous;
                placed.pushes = true;
                if (known != given.end())
                    known->second = running;
                else
                    known = given.emplace(std::string_view(label.name), running).first;
            }
            finalAddress.push_back(known != given.end() ? &known->second : nullptr);
            placed.address = running;
            plan.labels.push_back(std::move(placed));
            previous = label.Offset;
        }
        running += length - previous;
    }
    // A name given twice (labels of two buffers) ends with the later address,
    // and pushed() is where every label's bytes go.
    for (std::size_t i = 0; i < plan.labels.size(); ++i) {
        BurnPlan::Label& label = plan.labels[i];
        if (finalAddress[i]) label.address = *finalAddress[i];
        if (!fitsInt32(label.address))
            plan.problems.push_back(
                {BurnPlan::ProblemKind::AddressOverflow, label.name,
                 "label " + label.name + ": address " + std::to_string(label.address) + " is out of the 32-bit range"});
        else if (label.address < 0)
            plan.problems.push_back({BurnPlan::ProblemKind::NegativeAddress, label.name,
                                     "label " + label.name + ": negative address -0x" +
                                         numeric::hexText(static_cast<double>(-label.address)) +
                                         " lies before the image"});
    }

    for (int32_t n = 1; n <= pointers_.count(); ++n)
        if (auto record = pointers_.find(n))
            plan.pointers.push_back(planPointer(*record, n, addressOf, resolve, plan.problems));
    return plan;
}

void FileBuffer::applyBurn(const BurnPlan& plan) {
    if (plan.hasHardProblems()) throw BurnError("nothing burned: " + plan.describeProblems());
    pushed_.reserve(pushed_.size() + plan.labels.size());

    for (const BurnPlan::Label& label : plan.labels) {
        current_ = labels_[static_cast<std::size_t>(label.buffer)].at(label.number);
        if (label.pushes) pushEntry(label.name, static_cast<int32_t>(label.address));
    }
    for (const BurnPlan::Pointer& pointer : plan.pointers) {
        auto record = pointers_.at(pointer.number);
        current_ = record;
        if (pointer.buffer >= 0 && pointer.buffer <= 255) record->buffer = static_cast<uint8_t>(pointer.buffer);
        if (!pointer.resolved) throw FloatingPointerError(pointer.name);
        logAdjusting(pointer);
        if (pointer.value == 0) throw FloatingPointerError(pointer.name);
        patchPointer(pointer.buffer, pointer.position, pointer.value);
    }
    for (const BurnPlan::Label& label : plan.labels) {
        std::string data = Get_Data(label.number, label.buffer);
        const auto address = static_cast<int32_t>(label.address);
        files_.SeekData(address);
        if (fillme >= 0 && fillme <= 255) data.assign(data.size(), static_cast<char>(fillme));
        line_ = " - Putting [";
        line_ += data;
        line_ += "] at ";
        line_ += numeric::hexText(address);
        files_.echo(line_);
        files_.putText(FileHandle::DataKind::block, data);
    }
}

void FileBuffer::burnbuffer() { applyBurn(planBurn(resolver_)); }

}  // namespace kestrel
