#include "text/SmartString.h"

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
    for (size_t i = 0; i + 1 < piece.size(); ++i) {
        if (piece[i] == '0' && piece[i + 1] == 'x') {
            piece[i] = '&';
            piece[i + 1] = 'h';
            ++i;
        }
    }
    if (piece.find('#') != std::string::npos) {
        std::string out;
        out.reserve(piece.size() + 4);
        for (char c : piece) {
            if (c == '#') out += "&h";
            else out += c;
        }
        piece.swap(out);
    }
    trimSpaces(piece);
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
    size_t out = 0;
    bool pendingSpace = false;
    for (char c : source) {
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
    const size_t spaceEquals = source.find(" =");
    const size_t a = apostrophe == std::string::npos ? source.size() : apostrophe + 1;
    const size_t b = spaceEquals == std::string::npos ? source.size() : spaceEquals + 1;
    if (a < b) {
        kaSplit(source, "'");
        vComment = "'" + values_[1];
    } else if (a > b) {
        kaSplit(source, "=");
        vComment = "=" + values_[1];
    } else {
        values_[0] = source;
    }
}

void SmartString::kaSplit(std::string source, std::string_view delim) {
    KaScrub(source);
    count_ = 0;
    const std::string_view text(source);
    size_t start = 0;
    size_t at = text.find(delim, start);
    while (at != std::string_view::npos && count_ < kSlots - 1) {
        std::string& slot = values_[count_];
        slot.assign(text.substr(start, at - start));
        if (slot.size() > 1) lowerInPlace(slot);
        kaHexPrefix(slot);
        start = at + delim.size();
        at = text.find(delim, start);
        ++count_;
    }
    std::string& last = values_[count_];
    last.assign(text.substr(start));
    kaHexPrefix(last);
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
            vStandard += '$';
            vStandard += numeric::decimal(placeholder++);
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
