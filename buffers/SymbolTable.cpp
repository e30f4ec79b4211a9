#include "buffers/SymbolTable.h"

#include "buffers/BurnPlan.h"
#include "text/TextKit.h"

namespace kestrel {

uint32_t SymbolTable::addressOf(int64_t offset, bool autobank) {
    const auto address = static_cast<uint32_t>(offset);
    return autobank && offset >= 0 && offset < kBankBase ? address + kBankBase : address;
}

void SymbolTable::add(const BurnPlan& plan, bool autobank) {
    for (const BurnPlan::Label& label : plan.labels) add(addressOf(label.address, autobank), label.name);
}

void SymbolTable::add(uint32_t address, const std::string& name) { entries_.emplace(address, name); }

void SymbolTable::merge(const SymbolTable& other) { entries_.insert(other.entries_.begin(), other.entries_.end()); }

std::string SymbolTable::text() const {
    std::string out;
    out.reserve(entries_.size() * 24);
    for (const auto& [address, name] : entries_) {
        out += textkit::upperHex(address, 8);
        out += ' ';
        out += name;
        out += '\n';
    }
    return out;
}

}  // namespace kestrel
