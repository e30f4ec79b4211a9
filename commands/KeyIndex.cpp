#include "commands/KeyIndex.h"

#include <cstdint>

#include "text/Numeric.h"

namespace kestrel {

namespace {

constexpr char foldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

}  // namespace

std::size_t KeyIndex::Hash::operator()(std::string_view key) const {
    // FNV-1a over the lower-cased bytes.
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : key) {
        hash ^= static_cast<unsigned char>(foldCase(c));
        hash *= 1099511628211ull;
    }
    return static_cast<std::size_t>(hash);
}

bool KeyIndex::Equal::operator()(std::string_view a, std::string_view b) const noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldCase(a[i]) != foldCase(b[i])) return false;
    return true;
}

bool KeyIndex::insert(std::string_view key, int position) {
    if (map_.find(key) != map_.end()) return false;
    map_.emplace(numeric::lower(key), position);
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
