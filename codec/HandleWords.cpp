#include "codec/HandleWords.h"

#include "text/TextKit.h"

namespace wren {

namespace {

namespace textkit = kestrel::textkit;

// Hexadecimal words are stored in one spelling: "#1F" and "0x1F" as "&h1f".
std::string wordForm(const std::string& value, const std::string& linkCommand) {
    std::string word = value;
    textkit::replaceAll(word, "0x", "&h");
    textkit::replaceAll(word, "#", "&h");
    textkit::lowerInPlace(word);
    return linkCommand + word;
}

}  // namespace

HandleWords::HandleWords() = default;

void HandleWords::Release() { delete this; }

void HandleWords::add(std::string& ValueA, std::string& ValueB, const std::string& LinkCommand) {
    try {
        std::string a = wordForm(ValueA, LinkCommand);
        std::string b = wordForm(ValueB, LinkCommand);
        // A duplicate is not passed on: the first definition of a word stays.
        words_.add(a, b, 0);
        remember(textkit::lower(a), keysA_, startsA_);
        remember(textkit::lower(b), keysB_, startsB_);
        ValueA = std::move(a);
        ValueB = std::move(b);
    } catch (...) {
    }
}

void HandleWords::Remove(const std::string& value, int column) {
    try {
        words_.Remove(value, column);
    } catch (...) {
    }
}

std::string HandleWords::item(const std::string& value, int column) {
    try {
        return words_.item(value, column);
    } catch (...) {
        return {};
    }
}

void HandleWords::splitWords(const std::string& phrase) {
    phraseWords_.clear();
    const char* text = phrase.data();
    const std::size_t size = phrase.size();
    std::size_t i = 0;
    for (;;) {
        while (i < size && (text[i] == ' ' || text[i] == '\t')) ++i;
        if (i == size) return;
        const std::size_t start = i;
        while (i < size && text[i] != ' ' && text[i] != '\t') ++i;
        phraseWords_.emplace_back(text + start, i - start);
    }
}

void HandleWords::remember(std::string key, std::set<std::string, std::less<>>& keys, std::bitset<256>& starts) {
    if (!key.empty()) starts.set(static_cast<unsigned char>(key[0]));
    keys.insert(std::move(key));
}

bool HandleWords::mayStartWith(std::string_view text, int column) const {
    if (text.empty()) return true;
    return (column == 0 ? startsA_ : startsB_)[static_cast<unsigned char>(textkit::foldCase(text[0]))];
}

bool HandleWords::anyKeyStartsWith(std::string_view text, int column) const {
    if (!mayStartWith(text, column)) return false;
    const std::string prefix = textkit::lower(text);
    const auto& keys = column == 0 ? keysA_ : keysB_;
    const auto it = keys.lower_bound(prefix);
    return it != keys.end() && it->starts_with(prefix);
}

const std::string* HandleWords::lookup(std::string_view prefix, std::string_view word, int column) {
    if (!mayStartWith(prefix.empty() ? word : prefix, column)) return nullptr;
    probe_.assign(prefix).append(word);
    textkit::lowerInPlace(probe_);
    const std::string* value = words_.find(probe_, column);
    return value && !value->empty() ? value : nullptr;
}

std::string HandleWords::define(const std::string& phrase, uint8_t& column) {
    try {
        splitWords(phrase);
        if (phraseWords_.empty()) return {};
        const std::string_view command = phraseWords_[0];
        std::string result;
        result.reserve(phrase.size() + 2);
        result.append(command);
        result += ' ';
        // Entries bound to the command or to one of its parameters carry its
        // name in front: without a key that starts so, only the global entry can match.
        const bool anyBound = anyKeyStartsWith(command, column);
        std::string boundPrefix;
        for (std::size_t k = 1; k < phraseWords_.size(); ++k) {
            const std::string_view word = phraseWords_[k];
            const std::string* value = nullptr;
            std::size_t cut = 0;
            if (anyBound) {
                boundPrefix.assign(command).append("[").append(std::to_string(k)).append("]");
                value = lookup(boundPrefix, word, column);
                cut = boundPrefix.size();
                if (!value) {
                    value = lookup(command, word, column);
                    cut = command.size();
                }
            }
            if (!value) {
                value = lookup({}, word, column);
                cut = 0;
            }
            if (!value)
                result.append(word);
            else if (value->size() > cut)
                result.append(*value, cut);
            result += ' ';
        }
        return result;
    } catch (...) {
        return {};
    }
}

}  // namespace wren
