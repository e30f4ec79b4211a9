#pragma once
// An ordered list of offset records with optional unique keys: items are
// numbered from 1 in insertion order and found by number or by key (keys
// compare without regard to case).
//
// The buffer set keys its pointers by texts made from a number: "&h" and
// hexadecimal digits, or spaced decimal. Those keys are indexed by the
// number, so that the compiler and the buffer-file reader need not build
// and hash a text per pointer; the same keys given as text find the same
// items, because every text of that shape is read into its number first.
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "buffers/fOffsett.h"
#include "text/TextKit.h"

namespace kestrel {

class OffsetList {
public:
    using Item = std::shared_ptr<fOffsett>;

    // Key texts made from a 32-bit number.
    enum class NumberKey : uint8_t {
        hex,     // "&h" + upper-case hexadecimal without leading zeros ("&hC", "&hFFFFFFFF" for -1)
        spaced,  // spaced decimal (" 12", "-5")
    };
    static std::string keyText(NumberKey form, int64_t number);

    int32_t count() const { return static_cast<int32_t>(items_.size()); }
    // Room for `more` items; `numberKeys` when they will be keyed by number.
    void reserve(std::size_t more, bool numberKeys);

    // Appends the item; an empty key adds it without a key. DuplicateKeyError
    // (nothing added) when another item holds the key.
    void add(Item item, const std::string& key = std::string());
    void add(Item item, NumberKey form, int32_t number);
    // Adds under a number key unless that key is taken: false then, and
    // nothing is added. One hash look-up where contains + add take two.
    bool tryAdd(const Item& item, NumberKey form, int32_t number);
    // The same under a key text (empty: no key), as add(item, key) files it.
    bool tryAdd(const Item& item, const std::string& key);
    // Takes back the item that the last tryAdd added.
    void removeLast(NumberKey form, int32_t number);
    void removeLast(const std::string& key);

    // Item `number` (1-based); OutOfRangeError when there is none.
    const Item& at(int32_t number) const;
    // Item under `key`; MissingKeyError when there is none.
    const Item& byKey(const std::string& key) const;
    // As above, but nullptr when there is no such item.
    Item find(int32_t number) const;
    Item find(const std::string& key) const;
    // A number outside 32 bits finds its spaced decimal text (hex: nothing).
    Item find(NumberKey form, int64_t number) const;
    bool contains(const std::string& key) const;
    bool contains(NumberKey form, int32_t number) const;

    const std::vector<Item>& items() const { return items_; }

private:
    // The number index's key: the form above the 32 bits of the number.
    static uint64_t numberSlot(NumberKey form, int32_t number) {
        return (static_cast<uint64_t>(form) << 32) | static_cast<uint32_t>(number);
    }
    // The slot of a key text of one of the number forms; false for other texts.
    static bool parseNumberKey(std::string_view key, uint64_t& slot);
    // Files `key` for the item about to be appended; false when it is taken.
    bool claimKey(const std::string& key);
    const std::size_t* lookup(std::string_view key) const;

    std::vector<Item> items_;
    // The index nodes come from one pool and go with it: a list of a buffer
    // file at its limits holds 32,767 of them, freed one by one otherwise.
    std::unique_ptr<std::pmr::monotonic_buffer_resource> pool_ =
        std::make_unique<std::pmr::monotonic_buffer_resource>();
    // Key -> index into items_ (indexes stay valid: items are never removed).
    std::pmr::unordered_map<std::string, std::size_t, textkit::FoldedHash, textkit::FoldedEqual> byText_{pool_.get()};
    std::pmr::unordered_map<uint64_t, std::size_t> byNumber_{pool_.get()};
};

}  // namespace kestrel
