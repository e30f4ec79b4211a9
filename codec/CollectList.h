#pragma once
// A two-way table of pairs: look a text up by its left side (column 0) or by
// its right side (any other column). Each index keeps the first pair added for
// a key; a later pair with the same key still lives in the table and can win
// the other direction. Keys ignore letter case.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "codec/CollectTab.h"

namespace wren {

class CollectList {
public:
    // With useCodeForm every key is brought to its code form before it is
    // stored or looked up, and results are taken out of it (character tables).
    // The word table keeps its words as written.
    explicit CollectList(bool useCodeForm);

    // Returns "" or "Duplicate String entry: " + constant + " - - " + value.
    std::string add(const std::string& constant, const std::string& value, uint8_t kind);
    // "" when there is no such key (or its result is no byte).
    std::string item(const std::string& value, int column) const;
    // The stored result for a key already in its lower-cased key form, without
    // a copy; nullptr when absent. Only for lists without the code form.
    const std::string* find(std::string_view lowerKey, int column) const;
    // Takes out the pair found under key in the chosen column together with
    // both of its keys. Positions of the other pairs do not change.
    void Remove(const std::string& key, int column);
    int32_t count() const { return live_; }
    // Positions (1-based) of the pairs that own their left-side key, in the
    // order they were added.
    std::vector<int32_t> NewEnum() const;

private:
    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const noexcept { return std::hash<std::string_view>{}(key); }
    };
    using Index = std::unordered_map<std::string, int32_t, KeyHash, std::equal_to<>>;

    std::string keyOf(const std::string& text) const;
    void reindex(const std::string& key, bool leftSide);

    bool useCodeForm_;
    // Slot p - 1 holds the pair at position p; removed pairs leave an empty
    // slot so that the positions stored in the indexes stay valid.
    std::vector<std::optional<CollectTab>> Rows;
    Index IndexA;
    Index IndexB;
    int32_t live_ = 0;
};

}  // namespace wren
