#pragma once
// A map from a name to a 1-based position, keys compared without regard to
// case. Keys are stored in lower case; lookups take any case without
// building a lower-cased copy.
#include <string>
#include <string_view>
#include <unordered_map>

#include "text/TextKit.h"

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
    std::unordered_map<std::string, int, textkit::FoldedHash, textkit::FoldedEqual> map_;
};

}  // namespace kestrel
