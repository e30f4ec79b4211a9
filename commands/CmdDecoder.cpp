#include "commands/CmdDecoder.h"

#include <algorithm>
#include <utility>

#include "commands/CmdList.h"
#include "services/Log.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/ParmType.h"
#include "text/SmartNum.h"
#include "text/TextKit.h"

namespace kestrel {

namespace {

// A pointer field holds four bytes whatever its kind, and every kind enters
// the entry list as a plain pointer.
constexpr std::size_t kPointerBytes = 4;
constexpr char kPointerEntry[] = "3";

std::string_view trimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Every piece between delimiters, empty ones included; nothing for an empty text.
std::vector<std::string_view> splitKeep(std::string_view text, char delim) {
    std::vector<std::string_view> pieces;
    if (text.empty()) return pieces;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(delim, start);
        if (at == std::string_view::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, at - start));
        start = at + 1;
    }
}

// The number of the "$n" placeholder at `at` (0 when there is none there);
// `end` is set past its digits.
std::size_t placeholderAt(std::string_view form, std::size_t at, std::size_t& end) {
    end = at + 1;
    if (form[at] != '$') return 0;
    std::size_t n = 0;
    while (end < form.size() && form[end] >= '0' && form[end] <= '9' && n < 1000)
        n = n * 10 + static_cast<std::size_t>(form[end++] - '0');
    return n;
}

// Highest placeholder number in a template.
std::size_t maxPlaceholder(std::string_view form) {
    std::size_t best = 0;
    std::size_t end = 0;
    for (std::size_t i = 0; i < form.size(); ++i) best = std::max(best, placeholderAt(form, i, end));
    return best;
}

// Puts word n in place of "$n" in one pass, so a placed word that itself
// reads like a placeholder ("$3", a buffer position) is never replaced again
// and "$1" does not match the front of "$12".
std::string fillTemplate(std::string_view form, const std::vector<std::string>& words) {
    std::string out;
    out.reserve(form.size() + 16 * words.size());
    std::size_t i = 0;
    while (i < form.size()) {
        std::size_t end = 0;
        const std::size_t n = placeholderAt(form, i, end);
        if (n >= 1 && n <= words.size()) {
            out += words[n - 1];
            i = end;
        } else {
            out += form[i++];
        }
    }
    return out;
}

std::string field(const std::string& bytes, std::size_t pos, std::size_t length) {
    return pos < bytes.size() ? bytes.substr(pos, length) : std::string();
}

// Writes a pending raw run as "#" words, most significant byte first; three
// bytes become a word and a byte.
void flushRaw(std::string& words, std::string& entries, std::string& digits, int& count) {
    words += " #";
    if (count == 3) {
        words.append(digits, 2, 4);
        words += " #";
        words.append(digits, 0, 2);
        entries += ",1,0";
    } else {
        words += digits;
        entries += count == 1 ? ",0" : count == 2 ? ",1" : ",2";
    }
    digits.clear();
    count = 0;
}

}  // namespace

// What one statement of dealias takes from the word list and gives back.
struct CmdDecoder::Walk {
    std::vector<std::string> placed;  // words for "$1", "$2"... in order
    std::string pointers;             // "word,type" per pointer field
    std::size_t words = 0;
    std::size_t entries = 0;
    int last = 0;  // last definition used
};

void CmdDecoder::decode(std::string& code, std::string& mask, bool sense) {
    const std::string bytes = std::move(code);
    std::string words;
    std::string entries;
    std::string raw;  // pending unclaimed bytes, most significant first
    std::string text;
    std::string entryText;
    words.reserve(bytes.size() * 3);
    entries.reserve(bytes.size() * 2);
    int rawCount = 0;
    bool endMark = false;

    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const auto byte = static_cast<uint8_t>(bytes[pos]);
        int position = cmds_.findByte(byte);
        std::size_t next = pos;
        if (position > 0) {
            const bool endBefore = endMark;
            decodeCommand(bytes, next, position, sense, text, entryText, endMark);
            if (next == pos) {
                // A definition that reads no byte (an alias of nothing but end
                // marks) would claim this byte forever: it stays raw data.
                position = 0;
                endMark = endBefore;
            }
        }
        if (rawCount > 0 && (rawCount == 4 || position > 0)) flushRaw(words, entries, raw, rawCount);
        if (position > 0) {
            if (!words.empty()) words += ' ';
            words += text;
            if (!entries.empty() && !entryText.empty()) entries += ',';
            entries += entryText;
            pos = next;
            if (sense && endMark) break;
            continue;
        }
        std::string pair;
        textkit::appendHexPair(pair, byte);
        raw.insert(0, pair);
        ++rawCount;
        ++pos;
    }
    // A label's bytes are all its data: its trailing unclaimed bytes are
    // kept. In the image mode the block is only a window onto the image, and
    // bytes after the last command are no part of it.
    if (rawCount > 0 && !sense) flushRaw(words, entries, raw, rawCount);
    code = std::move(words);
    mask = std::move(entries);
}

void CmdDecoder::decodeCommand(const std::string& bytes, std::size_t& pos, int position, bool sense, std::string& text,
                               std::string& entries, bool& endMark) {
    text.clear();
    entries.clear();
    bool continuation = false;
    int hops = 0;
    for (;;) {
        cmds_.setCurrent(position);
        const tCmd& cmd = cmds_.at(position);
        if (!continuation && !cmd.alias) {
            text = cmd.keyword;
            entries = cmd.keyword;
            ++pos;
        }
        int bound = 0;
        for (int j = 0; j < cmd.parmCount(); ++j) {
            if (!text.empty()) text += ' ';
            const bool comma = !entries.empty();
            if (comma) entries += ',';
            const int type = cmd.Parmsise(j);
            const ParmType parm = ParmType::of(type);
            if (parm.isPointer()) {
                // Image mode shows the pointer; buffer mode its 1-based byte
                // position, which the caller swaps for the label recorded there.
                if (sense)
                    text += SmartNum::numberpull(field(bytes, pos, kPointerBytes));
                else
                    text += numeric::decimal(static_cast<int64_t>(pos + 1));
                entries += kPointerEntry;
                pos += kPointerBytes;
            } else if (parm.layout == ParmLayout::mask || parm.layout == ParmLayout::command) {
                text += cmd.ParmDesc(j);
                pos += 1;
            } else if (parm.layout == ParmLayout::endMark) {
                if (comma) entries.pop_back();
                endMark = true;
                if (sense) return;
            } else {
                const auto length = static_cast<std::size_t>(parm.width);
                const std::string word = SmartNum::numberpull(field(bytes, pos, length));
                if (!cmd.ParmDesc(j).empty()) {
                    // Only a binding changes the walk; the word keeps showing
                    // the bytes as they are, so other kinds need no resolving
                    // (a select could only fail on a number past its list).
                    const ParmSpec& spec = cmds_.specOf(position, j);
                    if (spec.isBind()) {
                        std::string resolved = word;
                        if (const int target = cmds_.resolve(spec, resolved)) bound = target;
                    }
                    if (spec.kind == "mask") log_.echo("PIP");
                }
                text += word;
                entries += numeric::decimal(type);
                pos += length;
            }
        }
        if (!bound || ++hops > CmdList::kMaxBound) return;
        position = bound;
        continuation = true;
    }
}

int CmdDecoder::findAlias(const std::vector<std::string_view>& entries, std::size_t first, std::size_t wordsLeft,
                          const std::vector<int>& rejected) const {
    if (first >= entries.size()) return 0;
    auto lookup = [&](std::size_t last) {
        const char* begin = entries[first].data();
        const char* end = entries[last].data() + entries[last].size();
        const int position = cmds_.findCode(std::string_view(begin, static_cast<std::size_t>(end - begin)));
        if (!position || !cmds_.at(position).alias) return 0;
        return std::find(rejected.begin(), rejected.end(), position) == rejected.end() ? position : 0;
    };
    // Only as many entries as some alias key holds can match.
    auto possible = [this](std::size_t width) { return cmds_.hasAliasKeyOf(width); };
    const std::size_t found = std::min<std::size_t>(wordsLeft, SmartString::kSlots);
    if (found <= 1) return possible(entries.size() - first) ? lookup(entries.size() - 1) : 0;
    for (std::size_t j = found - 1; j >= 1; --j) {
        if (first + j > entries.size() || !possible(j)) continue;
        if (const int position = lookup(first + j - 1)) return position;
    }
    return 0;
}

// Takes the words of one statement parameter by parameter, the way the
// decoder wrote them: one word per parameter (the end mark's one is empty),
// one entry per parameter but end marks. As an alias (`asAlias`), fixed
// values must match and the first command parameter stands for the keyword;
// false rejects the alias.
bool CmdDecoder::walkStatement(int position, bool asAlias, const std::vector<std::string_view>& words,
                               std::size_t first, Walk& walk) const {
    walk.placed.clear();
    walk.pointers.clear();
    walk.entries = 0;
    walk.last = position;

    std::size_t t = first;
    bool keywordParm = asAlias;
    if (asAlias) {
        const tCmd& alias = cmds_.at(position);
        if (alias.parmCount() == 0 || ParmType::of(alias.Parmsise(0)).layout != ParmLayout::command) return false;
    } else {
        ++t;
        ++walk.entries;
    }

    int hops = 0;
    for (bool more = true; more;) {
        walk.last = position;
        const tCmd& cmd = cmds_.at(position);
        int bound = 0;
        for (int j = 0; j < cmd.parmCount(); ++j) {
            if (t >= words.size()) {
                more = false;
                break;
            }
            const int type = cmd.Parmsise(j);
            const ParmLayout layout = ParmType::of(type).layout;
            const std::string_view word = words[t];
            if (layout == ParmLayout::endMark) {
                if (word.empty()) ++t;
                continue;
            }
            ++t;
            ++walk.entries;
            const std::string& desc = cmd.ParmDesc(j);
            if (layout == ParmLayout::command) {
                if (keywordParm) {
                    keywordParm = false;
                    if (!textkit::equalsIgnoreCase(word, desc)) return false;
                }
                continue;
            }
            const ParmSpec* spec = desc.empty() ? nullptr : &cmds_.specOf(position, j);
            if (layout == ParmLayout::pointer) {
                if (!walk.pointers.empty()) walk.pointers += ',';
                walk.pointers += word;
                walk.pointers += ',';
                walk.pointers += numeric::decimal(type);
                if (spec && spec->isFixed()) continue;
                walk.placed.push_back(word.starts_with("&h") ? std::string(word) : "$" + std::string(word));
                continue;
            }
            if (layout == ParmLayout::mask) {
                if (asAlias && !textkit::equalsIgnoreCase(word, desc) &&
                    (!spec || numeric::read(word) != numeric::read(spec->list)))
                    return false;
                continue;
            }
            if (!spec) {
                walk.placed.emplace_back(word);
            } else if (spec->isFixed()) {
                // A command found by its keyword keeps its words as decoded.
                if (asAlias && numeric::read(word) != numeric::read(spec->list)) return false;
            } else if (spec->isSelect()) {
                // The byte holds the selected entry; the script names its number.
                const int n = spec->indexOf(numeric::read(word));
                if (n >= 0)
                    walk.placed.push_back(numeric::decimal(n));
                else if (asAlias)
                    return false;
                else
                    walk.placed.emplace_back(word);
            } else if (spec->isBind()) {
                std::string resolved(word);
                const int target = cmds_.resolve(*spec, resolved);
                if (target) bound = target;
                walk.placed.push_back(std::move(resolved));
            }
            // Other kinds read a word without consuming it: nothing to place.
        }
        if (!bound || ++hops > CmdList::kMaxBound) break;
        position = bound;
        keywordParm = false;
    }
    walk.words = t - first;
    return true;
}

void CmdDecoder::dealias(std::string& code, std::string& mask) {
    const std::string wordText(trimSpaces(code));
    std::string_view entryText = trimSpaces(mask);
    // A raw run at the very start leaves a leading ",".
    if (entryText.starts_with(',')) entryText.remove_prefix(1);
    const std::string entryCopy(entryText);
    const auto words = splitKeep(wordText, ' ');
    const auto entries = splitKeep(entryCopy, ',');

    std::string out;
    std::string pointers;
    out.reserve(wordText.size() + wordText.size() / 2);
    bool rawBefore = false;
    std::size_t wi = 0;
    std::size_t ei = 0;
    Walk plainWalk;
    Walk aliasWalk;
    std::vector<int> rejected;

    while (wi < words.size()) {
        const std::string_view first = words[wi];
        if (first.empty()) {
            ++wi;
            continue;
        }
        if (first[0] == '#') {
            // Raw bytes become one data line per run: "#0x.." then "0x.." words.
            out += rawBefore ? "0x" : "; #0x";
            out += first.substr(1);
            out += ' ';
            rawBefore = true;
            ++wi;
            ++ei;
            continue;
        }

        const int plain = cmds_.findKeyword(first);
        if (plain) walkStatement(plain, false, words, wi, plainWalk);

        int alias = 0;
        rejected.clear();
        for (;;) {
            const int candidate = findAlias(entries, ei, words.size() - wi, rejected);
            if (!candidate) break;
            bool fits = false;
            try {
                fits = walkStatement(candidate, true, words, wi, aliasWalk) &&
                       (!plain || aliasWalk.words == plainWalk.words) &&
                       maxPlaceholder(cmds_.at(candidate).keyword) == aliasWalk.placed.size();
            } catch (const KestrelError&) {
                fits = false;
            }
            if (fits) {
                alias = candidate;
                break;
            }
            rejected.push_back(candidate);
        }

        std::string statement;
        const Walk* walk;
        if (alias) {
            statement = fillTemplate(cmds_.at(alias).keyword, aliasWalk.placed);
            walk = &aliasWalk;
        } else if (plain) {
            statement = cmds_.at(plain).keyword;
            for (const std::string& word : plainWalk.placed) {
                statement += ' ';
                statement += word;
            }
            walk = &plainWalk;
        } else {
            throw MissingKeyError(std::string(first));
        }

        if (!out.empty()) out += "; ";
        out += statement;
        if (!walk->pointers.empty()) {
            if (!pointers.empty()) pointers += ',';
            pointers += walk->pointers;
        }
        cmds_.setCurrent(walk->last);
        const Walk& span = plain ? plainWalk : aliasWalk;
        wi += std::max<std::size_t>(1, span.words);
        ei += span.entries;
        rawBefore = false;
    }
    code = std::move(out);
    mask = std::move(pointers);
}

}  // namespace kestrel
