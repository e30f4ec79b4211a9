#include "codec/CollectList.h"

#include "codec/CodeForm.h"
#include "text/TextKit.h"

namespace wren {

namespace {

using kestrel::textkit::lower;

}  // namespace

CollectList::CollectList(bool useCodeForm) : useCodeForm_(useCodeForm) {}

std::string CollectList::keyOf(const std::string& text) const { return lower(useCodeForm_ ? toCodeForm(text) : text); }

std::string CollectList::add(const std::string& constant, const std::string& value, uint8_t kind) {
    std::string colA = useCodeForm_ ? toCodeForm(constant) : constant;
    std::string colB = useCodeForm_ ? toCodeForm(value) : value;
    const std::string keyA = lower(colA);
    const std::string keyB = lower(colB);
    Rows.emplace_back(CollectTab(std::move(colA), std::move(colB), kind));
    ++live_;
    const auto position = static_cast<int32_t>(Rows.size());
    const bool newA = IndexA.emplace(keyA, position).second;
    const bool newB = IndexB.emplace(keyB, position).second;
    if (newA && newB) return {};
    return "Duplicate String entry: " + constant + " - - " + value;
}

std::string CollectList::item(const std::string& value, int column) const {
    const Index& index = column == 0 ? IndexA : IndexB;
    const auto found = index.find(keyOf(value));
    if (found == index.end()) return {};
    const CollectTab& pair = *Rows[static_cast<std::size_t>(found->second - 1)];
    const std::string& result = column == 0 ? pair.ColB() : pair.ColA();
    if (!useCodeForm_) return result;
    std::string text;
    if (!fromCodeForm(result, text)) return {};
    return text;
}

const std::string* CollectList::find(std::string_view lowerKey, int column) const {
    const Index& index = column == 0 ? IndexA : IndexB;
    const auto found = index.find(lowerKey);
    if (found == index.end()) return nullptr;
    const CollectTab& pair = *Rows[static_cast<std::size_t>(found->second - 1)];
    return column == 0 ? &pair.ColB() : &pair.ColA();
}

void CollectList::Remove(const std::string& key, int column) {
    const bool byLeft = column == 0;
    Index& index = byLeft ? IndexA : IndexB;
    const auto found = index.find(keyOf(key));
    if (found == index.end()) return;
    const int32_t position = found->second;
    auto& slot = Rows[static_cast<std::size_t>(position - 1)];
    const std::string keyA = lower(slot->ColA());
    const std::string keyB = lower(slot->ColB());
    slot.reset();
    --live_;
    // Either key may belong to an earlier pair; only this pair's entries go,
    // and a later pair with the same key takes it over.
    if (auto a = IndexA.find(keyA); a != IndexA.end() && a->second == position) {
        IndexA.erase(a);
        reindex(keyA, true);
    }
    if (auto b = IndexB.find(keyB); b != IndexB.end() && b->second == position) {
        IndexB.erase(b);
        reindex(keyB, false);
    }
}

void CollectList::reindex(const std::string& key, bool leftSide) {
    for (std::size_t i = 0; i < Rows.size(); ++i) {
        if (!Rows[i]) continue;
        if (lower(leftSide ? Rows[i]->ColA() : Rows[i]->ColB()) == key) {
            (leftSide ? IndexA : IndexB).emplace(key, static_cast<int32_t>(i + 1));
            return;
        }
    }
}

std::vector<int32_t> CollectList::NewEnum() const {
    std::vector<int32_t> positions;
    for (std::size_t i = 0; i < Rows.size(); ++i) {
        if (!Rows[i]) continue;
        const auto found = IndexA.find(lower(Rows[i]->ColA()));
        if (found != IndexA.end() && found->second == static_cast<int32_t>(i + 1)) {
            positions.push_back(found->second);
        }
    }
    return positions;
}

}  // namespace wren
