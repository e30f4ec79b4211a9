#include "buffers/OffsetList.h"

#include "text/KestrelError.h"
#include "text/Numeric.h"

namespace kestrel {

void OffsetList::add(Item item, const std::string& key) {
    if (!key.empty()) {
        auto [where, inserted] = index_.try_emplace(numeric::lower(key), items_.size());
        if (!inserted) throw DuplicateKeyError(key);
    }
    items_.push_back(std::move(item));
}

const OffsetList::Item& OffsetList::at(int32_t number) const {
    if (number < 1 || number > count())
        throw OutOfRangeError("item " + std::to_string(number) + " of a list of " + std::to_string(count()));
    return items_[static_cast<std::size_t>(number - 1)];
}

const OffsetList::Item& OffsetList::byKey(const std::string& key) const {
    auto where = index_.find(numeric::lower(key));
    if (where == index_.end()) throw MissingKeyError(key);
    return items_[where->second];
}

OffsetList::Item OffsetList::find(int32_t number) const {
    if (number < 1 || number > count()) return nullptr;
    return items_[static_cast<std::size_t>(number - 1)];
}

OffsetList::Item OffsetList::find(const std::string& key) const {
    auto where = index_.find(numeric::lower(key));
    return where == index_.end() ? nullptr : items_[where->second];
}

bool OffsetList::contains(const std::string& key) const {
    return index_.count(numeric::lower(key)) != 0;
}

} // namespace kestrel
