#pragma once
// An ordered list of offset records with optional unique keys: items are
// numbered from 1 in insertion order and found by number or by key (keys
// compare without regard to case).
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "buffers/fOffsett.h"

namespace kestrel {

class OffsetList {
public:
    using Item = std::shared_ptr<fOffsett>;

    int32_t count() const { return static_cast<int32_t>(items_.size()); }

    // Appends the item; an empty key adds it without a key. DuplicateKeyError
    // (nothing added) when another item holds the key.
    void add(Item item, const std::string& key = std::string());

    // Item `number` (1-based); OutOfRangeError when there is none.
    const Item& at(int32_t number) const;
    // Item under `key`; MissingKeyError when there is none.
    const Item& byKey(const std::string& key) const;
    // As above, but nullptr when there is no such item.
    Item find(int32_t number) const;
    Item find(const std::string& key) const;
    bool contains(const std::string& key) const;

    const std::vector<Item>& items() const { return items_; }

private:
    std::vector<Item> items_;
    // Lower-cased key -> index into items_ (indexes stay valid: items are never removed).
    std::unordered_map<std::string, std::size_t> index_;
};

} // namespace kestrel
