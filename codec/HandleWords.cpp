#include "codec/HandleWords.h"

#include "codec/CodeForm.h"

namespace wren {

namespace {

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// Hexadecimal words are stored in one spelling: "#1F" and "0x1F" as "&h1f".
std::string wordForm(const std::string& value, const std::string& linkCommand) {
    std::string word = value;
    replaceAll(word, "0x", "&h");
    replaceAll(word, "#", "&h");
    return linkCommand + asciiLower(word);
}

} // namespace

HandleWords::HandleWords() = default;

void HandleWords::Release() {
    delete this;
}

void HandleWords::add(std::string& ValueA, std::string& ValueB, const std::string& LinkCommand) {
    try {
        std::string a = wordForm(ValueA, LinkCommand);
        std::string b = wordForm(ValueB, LinkCommand);
        // A duplicate is not passed on: the first definition of a word stays.
        words_.add(a, b, 0);
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
    std::string word;
    for (char c : phrase) {
        if (c == ' ' || c == '\t') {
            if (!word.empty()) phraseWords_.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) phraseWords_.push_back(std::move(word));
}

std::optional<std::string> HandleWords::lookup(const std::string& prefix, const std::string& word,
                                              int column) const {
    const std::string value = words_.item(prefix + word, column);
    if (value.empty()) return std::nullopt;
    // Bound entries carry the same prefix on both sides.
    return value.size() > prefix.size() ? value.substr(prefix.size()) : std::string();
}

std::string HandleWords::define(const std::string& phrase, uint8_t& column) {
    try {
        splitWords(phrase);
        if (phraseWords_.empty()) return {};
        const std::string& command = phraseWords_[0];
        std::string result = command + ' ';
        for (std::size_t k = 1; k < phraseWords_.size(); ++k) {
            const std::string& word = phraseWords_[k];
            auto value = lookup(command + '[' + std::to_string(k) + ']', word, column);
            if (!value) value = lookup(command, word, column);
            if (!value) value = lookup({}, word, column);
            result += value ? *value : word;
            result += ' ';
        }
        return result;
    } catch (...) {
        return {};
    }
}

} // namespace wren
