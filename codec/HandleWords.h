#pragma once
// The word table: parameter words of command lines and the values they stand
// for, optionally bound to one command or to one parameter of a command.
#include <optional>
#include <string>
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
    // The value of prefix + word with the prefix cut off; nothing when the
    // table has no such entry.
    std::optional<std::string> lookup(const std::string& prefix, const std::string& word, int column) const;

    CollectList words_{false};
    std::vector<std::string> phraseWords_;
};

} // namespace wren
