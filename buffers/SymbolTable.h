#pragma once
// The labels of burns with their final addresses, as the symbol files of
// debuggers and emulators list them: one "AAAAAAAA NAME" line per label, the
// address in 8 upper-case hexadecimal digits, sorted by address and then by
// name. With autobank on, the address is the image offset with the bank base
// added, the address the label has in the target's memory (what pointers to
// it hold).
#include <cstdint>
#include <set>
#include <string>
#include <utility>

namespace kestrel {

class BurnPlan;

class SymbolTable {
public:
    static constexpr uint32_t kBankBase = 0x08000000;

    // Every label of the plan at its address; `autobank` as when it burned.
    void add(const BurnPlan& plan, bool autobank);
    // One label; an entry already there is kept once.
    void add(uint32_t address, const std::string& name);
    // The entries of another table (a line's burns, once the line succeeded).
    void merge(const SymbolTable& other);
    void clear() { entries_.clear(); }
    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }

    // The address a label at image offset `offset` has in symbol files.
    static uint32_t addressOf(int64_t offset, bool autobank);
    // The file's text: one line per entry, each ending in "\n".
    std::string text() const;

private:
    std::set<std::pair<uint32_t, std::string>> entries_;
};

}  // namespace kestrel
