#pragma once
// The line tokenizer: directive marker, comment, up to sixteen pieces split at
// a delimiter, and a template form in which value words become "$1", "$2"...
#include <array>
#include <span>
#include <string>
#include <string_view>

namespace kestrel {

class SmartString {
public:
    static constexpr int kSlots = 16;

    // Tabs to spaces, runs of spaces to one, no leading/trailing space.
    static void KaScrub(std::string& source);
    // Classifies a script line: prefix marker, inline comment, statement in values(0).
    void kaTrim(std::string& source);
    // Scrubs a copy and cuts it at every delimiter into values(0..count).
    // `source` may be one of this object's own values.
    void kaSplit(std::string_view source, std::string_view delim);
    // The pieces kaSplit would make of `words` joined by `delim`, without the
    // joined text. Only for lists that it reproduces exactly: 1 to 16 words,
    // none empty and none holding a blank or the delimiter. False (and nothing
    // changed) for any other list.
    bool kaSplitWords(std::span<const std::string_view> words, char delim);
    // Field `parmno` (from 0) of a delimited text. The last field, with no
    // delimiter after it, ends one character short of the text: field 0 of
    // "abc" is "ab", field 2 of "(a,b,c)" is "c".
    std::string kasubparm(const std::string& source, std::string_view delim, int parmno);
    // Builds vStandard from values(0..count).
    void kaStandard();
    // A value word: "&h..." , "$..." when pointchk, numeric reading > 0, or exactly "0".
    static bool isvalue(std::string_view data, bool pointchk);
    void concat(std::string& result, int start, int fin) const;

    int count() const { return count_; }
    void setCount(int count);
    bool docount(int n) const { return count_ == n; }

    // OutOfRangeError outside 0..15.
    const std::string& values(int index) const;
    void setValues(int index, std::string text);

    std::string vDirective;
    std::string vComment;
    std::string vStandard;

private:
    std::array<std::string, kSlots> values_;
    int count_ = 0;
    std::string scrubbed_;  // kaSplit's scrubbed copy, kept to reuse its storage
};

}  // namespace kestrel
