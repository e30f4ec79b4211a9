#pragma once
// A map from a name to a 1-based position, keys compared without regard to
// case. Keys are stored in lower case; lookups take any case without
// building a lower-cased copy.
#include <string>
#include <string_view>
#include <unordered_map>

namespace kestrel {

class KeyIndex {
public:
    // False (and nothing stored) when the key is present already.
    bool insert(std::string_view key, int position);
    // The position stored under the key, 0 when there is none.
    int find(std::string_view key) const;
    bool erase(std::string_view key);
    // After the definition at `position` left the list: drops the keys that
    // named it and moves later positions down by one.
    void forgetPosition(int position);
    std::size_t size() const { return map_.size(); }

private:
    struct Hash {
        using is_transparent = void;
        // Not noexcept on purpose: the map then stores each key's hash, so a
        // lookup walks its bucket without hashing every key it passes.
        std::size_t operator()(std::string_view key) const;
    };
    struct Equal {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const noexcept;
    };
    std::unordered_map<std::string, int, Hash, Equal> map_;
};

}  // namespace kestrel
