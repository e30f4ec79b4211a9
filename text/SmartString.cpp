#include "text/SmartString.h"

#include <charconv>
#include <limits>

#include "text/KestrelError.h"
#include "text/Numeric.h"

namespace kestrel {

namespace {

void lowerInPlace(std::string& text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
}

void trimSpaces(std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        text.clear();
        return;
    }
    const size_t last = text.find_last_not_of(' ');
    text.erase(last + 1);
    text.erase(0, first);
}

// Rewrites "0x" and then "#" to "&h" and trims spaces. Both rewrites are
// exact: "0X" and "&H" stay as written.
void kaHexPrefix(std::string& piece) {
    // "0x" never overlaps itself, so every "x" after a "0" is one to rewrite.
    size_t hashes = 0;
    for (size_t i = 0; i < piece.size(); ++i) {
        if (piece[i] == '#') {
            ++hashes;
        } else if (piece[i] == 'x' && i > 0 && piece[i - 1] == '0') {
            piece[i - 1] = '&';
            piece[i] = 'h';
        }
    }
    if (hashes > 0) {
        // Every "#" grows by one character: fill from the back, in place.
        size_t at = piece.size();
        size_t to = at + hashes;
        piece.resize(to);
        while (at > 0) {
            const char c = piece[--at];
            if (c == '#') {
                piece[--to] = 'h';
                piece[--to] = '&';
            } else {
                piece[--to] = c;
            }
        }
    }
    if (!piece.empty() && (piece.front() == ' ' || piece.back() == ' ')) trimSpaces(piece);
}

// One piece of a split: every piece but the last is lower-cased.
void setPiece(std::string& slot, std::string_view text, bool lowerCase) {
    slot.assign(text);
    if (lowerCase && slot.size() > 1) lowerInPlace(slot);
    kaHexPrefix(slot);
}

// 1-based position of `delim` in `text` at or after `start`, 0 when absent.
// An empty delimiter is found right at `start`.
size_t inStr(std::string_view text, std::string_view delim, size_t start) {
    if (start < 1) throw OutOfRangeError("search start before the first character");
    if (text.empty() || start > text.size()) return 0;
    if (delim.empty()) return start;
    const size_t at = text.find(delim, start - 1);
    return at == std::string_view::npos ? 0 : at + 1;
}

void checkIndex(int index) {
    if (index < 0 || index >= SmartString::kSlots)
        throw OutOfRangeError("tokenizer slot " + numeric::decimal(index));
}

}  // namespace

void SmartString::KaScrub(std::string& source) {
    // Most texts are scrubbed already: look for the first character to change.
    const size_t size = source.size();
    size_t first = 0;
    while (first < size) {
        const char c = source[first];
        if (c == '\t') break;
        if (c == ' ' && (first == 0 || first + 1 == size || source[first + 1] == ' ' || source[first + 1] == '\t'))
            break;
        ++first;
    }
    if (first == size) return;

    size_t out = first;
    bool pendingSpace = false;
    for (char c : std::string_view(source).substr(first)) {
        if (c == ' ' || c == '\t') {
            pendingSpace = out > 0;
            continue;
        }
        if (pendingSpace) {
            source[out++] = ' ';
            pendingSpace = false;
        }
        source[out++] = c;
    }
    source.resize(out);
}

void SmartString::kaTrim(std::string& source) {
    KaScrub(source);
    if (source.empty()) return;

    vDirective.assign(1, source[0]);
    if (static_cast<unsigned char>(source[0]) <= 65) source.erase(0, 1);
    else vDirective.clear();
    vComment.clear();

    if (vDirective == "&" && !source.empty() && source[0] == 'h') {
        vDirective = "#";
        source.erase(0, 1);
    }

    if (vDirective == "/" || vDirective == "=" || vDirective == "!" || vDirective == "'") {
        vComment = source;
        source.clear();
        return;
    }

    // Whichever inline comment marker comes first wins; a missing one counts
    // as sitting at the last character.
    const size_t apostrophe = source.find('\'');
    // " =" found by its rarer "=" (searching for the pair stops at every space).
    size_t spaceEquals = source.find('=', 1);
    while (spaceEquals != std::string::npos && source[spaceEquals - 1] != ' ')
        spaceEquals = source.find('=', spaceEquals + 1);
    if (spaceEquals != std::string::npos) --spaceEquals;
    const size_t a = apostrophe == std::string::npos ? source.size() : apostrophe + 1;
    const size_t b = spaceEquals == std::string::npos ? source.size() : spaceEquals + 1;
    if (a < b) {
        kaSplit(source, "'");
        vComment.assign(1, '\'').append(values_[1]);
    } else if (a > b) {
        kaSplit(source, "=");
        vComment.assign(1, '=').append(values_[1]);
    } else {
        values_[0] = source;
    }
}

void SmartString::kaSplit(std::string_view source, std::string_view delim) {
    // Copied before any slot is written: `source` may be one of them.
    scrubbed_.assign(source);
    KaScrub(scrubbed_);
    count_ = 0;
    const std::string_view text(scrubbed_);
    size_t start = 0;
    size_t at = text.find(delim, start);
    while (at != std::string_view::npos && count_ < kSlots - 1) {
        setPiece(values_[count_], text.substr(start, at - start), true);
        start = at + delim.size();
        at = text.find(delim, start);
        ++count_;
    }
    setPiece(values_[count_], text.substr(start), false);
}

bool SmartString::kaSplitWords(std::span<const std::string_view> words, char delim) {
    if (words.empty() || words.size() > static_cast<size_t>(kSlots)) return false;
    for (std::string_view word : words) {
        if (word.empty()) return false;
        for (char c : word)
            if (c == ' ' || c == '\t' || c == delim) return false;
    }
    const size_t last = words.size() - 1;
    for (size_t i = 0; i <= last; ++i) setPiece(values_[i], words[i], i < last);
    count_ = static_cast<int>(last);
    return true;
}

std::string SmartString::kasubparm(const std::string& source, std::string_view delim, int parmno) {
    count_ = 0;
    size_t start = 1;
    size_t at = inStr(source, delim, 1);
    for (int i = 0; i < parmno; ++i) {
        // A missing delimiter restarts the search near the beginning.
        start = at + delim.size();
        at = inStr(source, delim, start);
    }
    if (at == 0) at = source.size();
    if (at < start) throw OutOfRangeError("negative field length in \"" + source + "\"");
    if (start > source.size()) return {};
    return source.substr(start - 1, at - start);
}

void SmartString::kaStandard() {
    vStandard.clear();
    int placeholder = 1;
    for (int i = 0; i <= count_; ++i) {
        const std::string& piece = values(i);
        if (i > 0) vStandard += ' ';
        if (isvalue(piece, true)) {
            char digits[12];
            const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, placeholder++);
            (void)ec;
            vStandard += '$';
            vStandard.append(digits, end);
        } else {
            vStandard += piece;
        }
    }
}

bool SmartString::isvalue(std::string_view data, bool pointchk) {
    if (data.starts_with("&h")) return true;
    if (pointchk && data.starts_with('$')) return true;
    return numeric::read(data) > 0 || data == "0";
}

void SmartString::concat(std::string& result, int start, int fin) const {
    if (start > fin) return;
    checkIndex(start);
    checkIndex(fin);
    for (int i = start; i <= fin; ++i) result += values_[i];
}

void SmartString::setCount(int count) {
    if (count < std::numeric_limits<int16_t>::min() || count > std::numeric_limits<int16_t>::max())
        throw OverflowError("count " + numeric::decimal(count));
    count_ = count;
}

const std::string& SmartString::values(int index) const {
    checkIndex(index);
    return values_[index];
}

void SmartString::setValues(int index, std::string text) {
    checkIndex(index);
    values_[index] = std::move(text);
}

}  // namespace kestrel
