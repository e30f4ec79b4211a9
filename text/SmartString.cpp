#include "text/SmartString.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>

#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/TextKit.h"

namespace kestrel {

namespace {

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

// Every "#" becomes "&h": each grows by one character, filled from the back in place.
void expandHashes(std::string& piece, size_t hashes) {
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

// What setPiece may have to change: upper-case letters, "#" and "x" (of "0x").
constexpr uint8_t kUpper = 1;
constexpr uint8_t kHexMark = 2;
constexpr std::array<uint8_t, 256> kCharKinds = [] {
    std::array<uint8_t, 256> kinds{};
    for (int c = 'A'; c <= 'Z'; ++c) kinds[static_cast<size_t>(c)] = kUpper;
    kinds['#'] = kHexMark;
    kinds['x'] = kHexMark;
    return kinds;
}();

// One piece of a split: every piece but the last is lower-cased (pieces of
// one character excepted); then "0x" and then "#" become "&h" (both exact:
// "0X" and "&H" stay as written) and spaces are trimmed. One look at the
// characters tells what there is to do; mostly nothing.
void setPiece(std::string& slot, std::string_view text, bool lowerCase) {
    slot.assign(text);
    const size_t size = slot.size();
    if (size == 0) return;
    unsigned kinds = 0;
    for (char c : text) {
        kinds |= kCharKinds[static_cast<unsigned char>(c)];
        // Also keeps the compiler from turning the table look-ups into slow vector gathers.
        if (kinds == (kUpper | kHexMark)) break;
    }
    char* p = slot.data();
    if ((kinds & kUpper) && lowerCase && size > 1) {
        textkit::lowerInPlace(slot);
        // A lower-cased "0X" is a "0x".
        kinds |= kHexMark;
    }
    if (kinds & kHexMark) {
        // "0x" never overlaps itself, so every "x" after a "0" is one to rewrite.
        size_t hashes = 0;
        for (size_t i = 0; i < size; ++i) {
            if (p[i] == '#') {
                ++hashes;
            } else if (p[i] == 'x' && i > 0 && p[i - 1] == '0') {
                p[i - 1] = '&';
                p[i] = 'h';
            }
        }
        if (hashes > 0) expandHashes(slot, hashes);
    }
    if (slot.front() == ' ' || slot.back() == ' ') trimSpaces(slot);
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
    if (index < 0 || index >= SmartString::kSlots) throw OutOfRangeError("tokenizer slot " + numeric::decimal(index));
}

// 0x80 in every byte of `word` that equals `byte`, 0 in every other.
uint64_t bytesEqual(uint64_t word, uint8_t byte) {
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    const uint64_t x = word ^ (0x0101010101010101ULL * byte);
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// Whether KaScrub would change nothing of `text` but blanks at its ends: no
// tab and no two spaces in a row. Eight characters at a time.
bool scrubbedInside(std::string_view text) {
    const size_t size = text.size();
    const char* p = text.data();
    size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        uint64_t lastSpace = 0;  // whether the character before the chunk is a space
        for (; i + 8 <= size; i += 8) {
            uint64_t word;
            std::memcpy(&word, p + i, 8);
            const uint64_t spaces = bytesEqual(word, ' ');
            if (bytesEqual(word, '\t') | (spaces & ((spaces << 8) | lastSpace))) return false;
            lastSpace = spaces >> 56;
        }
    }
    for (; i < size; ++i) {
        if (p[i] == '\t' || (p[i] == ' ' && i > 0 && p[i - 1] == ' ')) return false;
    }
    return true;
}

}  // namespace

void SmartString::KaScrub(std::string& source) {
    const size_t size = source.size();
    if (size == 0) return;
    // Most texts are scrubbed already.
    if (source[0] != ' ' && source[size - 1] != ' ' && scrubbedInside(source)) return;

    size_t out = 0;
    bool pendingSpace = false;
    for (size_t i = 0; i < size; ++i) {
        const char c = source[i];
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
    if (static_cast<unsigned char>(source[0]) <= 65)
        source.erase(0, 1);
    else
        vDirective.clear();
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
    // A text that is scrubbed but for spaces at its ends is cut where it
    // lies; any other is scrubbed in a copy first.
    std::string_view text = source;
    const size_t first = text.find_first_not_of(' ');
    text = first == std::string_view::npos ? std::string_view()
                                           : text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (!scrubbedInside(text)) {
        scrubbed_.assign(source);
        KaScrub(scrubbed_);
        text = scrubbed_;
    }

    // Where the pieces lie, before any slot is written: `source` may be one of them.
    std::array<size_t, kSlots + 1> starts;
    int count = 0;
    starts[0] = 0;
    if (delim.size() == 1) {
        // The usual one-character delimiter: one walk over the text.
        const char d = delim[0];
        for (size_t i = 0; i < text.size() && count < kSlots - 1; ++i)
            if (text[i] == d) starts[++count] = i + 1;
    } else {
        size_t at = text.find(delim);
        while (at != std::string_view::npos && count < kSlots - 1) {
            starts[++count] = at + delim.size();
            at = text.find(delim, starts[count]);
        }
    }
    starts[count + 1] = text.size() + delim.size();

    // A slot that holds the text is written last.
    int own = -1;
    const std::less<const char*> before;
    auto write = [&](int i) {
        const size_t at = starts[static_cast<size_t>(i)];
        const size_t length = starts[static_cast<size_t>(i) + 1] - delim.size() - at;
        setPiece(values_[static_cast<size_t>(i)], text.substr(at, length), i < count);
    };
    for (int i = 0; i <= count; ++i) {
        const std::string& slot = values_[static_cast<size_t>(i)];
        if (own < 0 && !before(text.data(), slot.data()) && before(text.data(), slot.data() + slot.capacity() + 1))
            own = i;
        else
            write(i);
    }
    if (own >= 0) write(own);
    count_ = count;
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
