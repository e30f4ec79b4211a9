#include "commands/KeyIndex.h"

namespace kestrel {

bool KeyIndex::insert(std::string_view key, int position) {
    if (map_.find(key) != map_.end()) return false;
    map_.emplace(textkit::lower(key), position);
    return true;
}

int KeyIndex::find(std::string_view key) const {
    const auto it = map_.find(key);
    return it == map_.end() ? 0 : it->second;
}

bool KeyIndex::erase(std::string_view key) {
    const auto it = map_.find(key);
    if (it == map_.end()) return false;
    map_.erase(it);
    return true;
}

void KeyIndex::forgetPosition(int position) {
    for (auto it = map_.begin(); it != map_.end();) {
        if (it->second == position) {
            it = map_.erase(it);
            continue;
        }
        if (it->second > position) --it->second;
        ++it;
    }
}

}  // namespace kestrel
