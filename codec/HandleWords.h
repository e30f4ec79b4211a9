#pragma once
// The word table: parameter words of command lines and the values they stand
// for, optionally bound to one command or to one parameter of a command.
#include <bitset>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "codec/CollectList.h"
#include "codec/Wren.h"

namespace wren {

class HandleWords final : public IHandleWords {
public:
    HandleWords();

    void Release() override;
    void add(std::string& ValueA, std::string& ValueB, const std::string& LinkCommand = "") override;
    void Remove(const std::string& value, int column) override;
    std::string item(const std::string& value, int column) override;
    std::string define(const std::string& phrase, uint8_t& column) override;

private:
    ~HandleWords() override = default;

    void splitWords(const std::string& phrase);
    static void remember(std::string key, std::set<std::string, std::less<>>& keys, std::bitset<256>& starts);
    // Whether a key of the column's index begins with the first character of
    // `text` (any case), or with all of `text`.
    bool mayStartWith(std::string_view text, int column) const;
    bool anyKeyStartsWith(std::string_view text, int column) const;
    // The value stored under the key prefix + word (lower-cased here), with
    // as many characters cut off as the prefix has; nullptr when the table
    // has no such entry or its value is empty.
    const std::string* lookup(std::string_view prefix, std::string_view word, int column);

    CollectList words_{false};
    // Every key ever filed, lower-cased, by column (0: left side, else right
    // side). Removed entries stay: it only tells which lookups may be skipped.
    std::set<std::string, std::less<>> keysA_;
    std::set<std::string, std::less<>> keysB_;
    // The first characters of those keys: a word starting otherwise has no entry.
    std::bitset<256> startsA_;
    std::bitset<256> startsB_;
    std::vector<std::string_view> phraseWords_;
    std::string probe_;  // lookup's key, kept to reuse its storage
};

}  // namespace wren
