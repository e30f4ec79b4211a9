#include "commands/CmdList.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

#include "commands/FieldFit.h"
#include "services/FileHandle.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/SmartNum.h"
#include "text/TextKit.h"

namespace kestrel {

namespace {

// The code key of every byte: upper-case hexadecimal without leading zeros.
const std::array<std::string, 256>& codeKeys() {
    static const std::array<std::string, 256> keys = [] {
        std::array<std::string, 256> out;
        for (int b = 0; b < 256; ++b) out[static_cast<std::size_t>(b)] = numeric::hexText(b);
        return out;
    }();
    return keys;
}

const std::string& codeKey(uint8_t byte) { return codeKeys()[byte]; }

// Pointer kinds: pointer, text pointer, movement pointer and everything above.
bool isPointerType(int type) { return type == 3 || type >= 8; }

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
struct CmdList::Walk {
    std::vector<std::string> placed;  // words for "$1", "$2"... in order
    std::string pointers;             // "word,type" per pointer field
    std::size_t words = 0;
    std::size_t entries = 0;
    int last = 0;  // last definition used
};

CmdList::CmdList(FileHandle& files, const Autobank& autobank) : files_(files), num_(autobank) {}

const tCmd& CmdList::curcmd() const {
    static const tCmd empty;
    return cur_ ? at(cur_) : empty;
}

// --- the database ------------------------------------------------------

void CmdList::add() {
    if (newcmd_.alias) aliasmask();

    // A copy, not a move: when both keys collide newcmd_ is left as it was.
    commands_.push_back(newcmd_);
    std::vector<ParmSpec> specs(static_cast<std::size_t>(newcmd_.parmCount()));
    for (int j = 0; j < newcmd_.parmCount(); ++j)
        if (!newcmd_.ParmDesc(j).empty()) specs[static_cast<std::size_t>(j)] = ParmSpec::parse(newcmd_.ParmDesc(j));
    specs_.push_back(std::move(specs));

    const int position = count();
    const tCmd& filed = commands_.back();
    if (const std::size_t space = filed.keyword.find(' '); space != std::string::npos)
        templateHeads_.insert(std::string_view(filed.keyword).substr(0, space), position);
    const bool keywordTaken = !keywords_.insert(filed.keyword, position);
    if (keywordTaken) files_.echo("Duplicate Entry: " + filed.keyword);
    const std::string& key = filed.alias ? filed.ParmDesc(0) : codeKey(filed.bytecode);
    if (codes_.insert(key, position)) {
        byteCodesStale_ = true;
        if (filed.alias) countAliasKey(key);
    } else {
        if (keywordTaken) throw DuplicateKeyError(key);
        files_.echo("Duplicate Entry: " + filed.keyword);
    }
    newcmd_ = tCmd();
}

void CmdList::aliasmask() {
    std::string list;
    for (int i = 0; i < newcmd_.parmCount(); ++i) {
        if (i > 0) list += ',';
        const int type = newcmd_.Parmsise(i);
        const std::string& desc = newcmd_.ParmDesc(i);
        if (type == 7) {
            list += desc;
        } else if (type == 6) {
            // Width of a hexadecimal mask: 2 digits a byte (0), 4 a word (1), 8 a dword (2).
            if (desc.starts_with("&h")) list += numeric::decimal(static_cast<int64_t>((desc.size() - 2) / 4));
        } else if (type >= 8) {
            list += '3';
        } else {
            list += numeric::decimal(type);
        }
    }
    newcmd_.Descriptions = std::move(list);
}

std::string CmdList::item(const std::string& key, bool byKeyword) {
    const int position = byKeyword ? keywords_.find(key) : codes_.find(key);
    if (!position) throw MissingKeyError(key);
    cur_ = position;
    const tCmd& cmd = at(position);
    std::string form = cmd.alias ? std::string() : cmd.keyword;
    int k = 1;
    for (int i = 0; i < cmd.parmCount(); ++i) {
        if (cmd.Parmsise(i) < 6) {
            form += " $";
            form += numeric::decimal(k++);
        } else {
            if (!cmd.alias || i >= 2) form += " ; ";
            form += ' ';
            form += cmd.ParmDesc(i);
        }
    }
    return form;
}

void CmdList::Remove(const std::string& key) {
    const int position = codes_.find(key);
    if (!position) throw MissingKeyError(key);
    commands_.erase(commands_.begin() + (position - 1));
    specs_.erase(specs_.begin() + (position - 1));
    // Positions are indexes into commands_: every later one moves down, and a
    // keyword left naming the removed definition would name its successor.
    codes_.forgetPosition(position);
    keywords_.forgetPosition(position);
    cur_ = 0;
    byteCodesStale_ = true;
    aliasKeyWidths_.fill(0);
    for (int p = 1; p <= count(); ++p)
        if (at(p).alias && codes_.find(at(p).ParmDesc(0)) == p) countAliasKey(at(p).ParmDesc(0));
}

void CmdList::countAliasKey(std::string_view key) {
    const auto width = static_cast<std::size_t>(std::count(key.begin(), key.end(), ',')) + 1;
    if (width < aliasKeyWidths_.size()) ++aliasKeyWidths_[width];
}

const std::array<int, 256>& CmdList::byteCodes() const {
    if (byteCodesStale_) {
        for (int b = 0; b < 256; ++b)
            byteCodes_[static_cast<std::size_t>(b)] = codes_.find(codeKey(static_cast<uint8_t>(b)));
        byteCodesStale_ = false;
    }
    return byteCodes_;
}

const ParmSpec& CmdList::specOf(int position, int parm) const {
    return specs_[static_cast<std::size_t>(position - 1)][static_cast<std::size_t>(parm)];
}

int CmdList::applyspec(std::string& spec, std::string& word) const {
    const ParmSpec parsed = ParmSpec::parse(spec);
    const int bound = resolve(parsed, word);
    spec = parsed.kind;
    return bound;
}

int CmdList::resolve(const ParmSpec& spec, std::string& word) const {
    if (spec.isFixed()) {
        word = spec.list;
        return 0;
    }
    if (spec.isSelect()) {
        const int n = numeric::toInt16(numeric::read(word));
        if (n < 0 || n >= SmartString::kSlots) throw OutOfRangeError("select entry " + numeric::decimal(n));
        word = static_cast<std::size_t>(n) < spec.entries.size() ? spec.entries[static_cast<std::size_t>(n)]
                                                                 : std::string();
        return 0;
    }
    if (spec.isBind()) {
        bool matched = spec.isStarList();
        if (!matched && !spec.isEmptyList()) {
            const int i = spec.indexOf(numeric::read(word));
            if (i >= 0) {
                word = spec.entries[static_cast<std::size_t>(i)];
                matched = !word.empty();
            }
        }
        return matched && !spec.tail.empty() ? keywords_.find(spec.tail) : 0;
    }
    return 0;
}

// --- encoder -----------------------------------------------------------

bool CmdList::encode(std::string& script, std::string& smask, int iline) {
    warnings_.clear();
    SmartString& words = words_;
    words.kaSplit(script, " ");
    // The template form begins with "$1" for a value word, else with the word
    // itself; a single word that is no value is its own template form.
    int position = 0;
    const bool valueFirst = SmartString::isvalue(words.values(0), true);
    if (words.count() == 0) {
        if (valueFirst) position = keywords_.find("$1");
    } else {
        const std::string_view head = valueFirst ? std::string_view("$1") : std::string_view(words.values(0));
        if (templateHeads_.find(head.substr(0, head.find(' ')))) {
            words.kaStandard();
            position = keywords_.find(words.vStandard);
        }
    }
    if (!position) position = keywords_.find(words.values(0));
    if (!position) {
        files_.echo("Invalid Command : " + words.values(0));
        cur_ = 0;
        return false;
    }
    // The tokenizer holds sixteen words: the last slot would take the rest
    // of a longer statement as one word.
    if (words.count() == SmartString::kSlots - 1 && words.values(SmartString::kSlots - 1).find(' ') != std::string::npos)
        throw OutOfRangeError("more than 16 words in one statement");
    head_.assign(words.values(0));

    // Words past the line are empty; the seventeenth word does not exist.
    static const std::string kNoWord;
    auto wordAt = [&words](int k) -> const std::string& {
        if (k >= SmartString::kSlots)
            throw OutOfRangeError("statement word " + numeric::decimal(k + 1) + " (at most 16)");
        return k > words.count() ? kNoWord : words.values(k);
    };

    valueList_.clear();
    typeList_.clear();
    fieldSpans_.clear();
    auto append = [this](std::string_view value, std::string_view type) {
        if (!fieldSpans_.empty()) {
            typeList_ += ',';
            valueList_ += ' ';
        }
        fieldSpans_.push_back({valueList_.size(), value.size(), typeList_.size(), type.size()});
        typeList_ += type;
        valueList_ += value;
    };
    auto appendCode = [&append](std::string_view value, int type) {
        char digits[12];
        const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, type);
        (void)ec;
        append(value, std::string_view(digits, static_cast<std::size_t>(end - digits)));
    };
    auto appendByte = [&append](uint8_t byte) {
        char digits[4];
        const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, byte);
        (void)ec;
        append(std::string_view(digits, static_cast<std::size_t>(end - digits)), "0");
    };

    char lineDigits[12];
    const auto [lineEnd, lineError] = std::to_chars(lineDigits, lineDigits + sizeof lineDigits, iline);
    (void)lineError;
    const std::string_view lineText(lineDigits, static_cast<std::size_t>(lineEnd - lineDigits));
    bool continuation = false;
    int k = 0;
    int hops = 0;
    for (;;) {
        cur_ = position;
        const tCmd& cmd = at(position);
        if (cmd.alias) {
            // The alias becomes its command followed by the line's value words.
            line_ = cmd.ParmDesc(0);
            for (int i = 1; i <= words.count(); ++i) {
                if (!SmartString::isvalue(words.values(i), true)) continue;
                line_ += ' ';
                line_ += words.values(i);
            }
            words.kaSplit(line_, " ");
            echoLine_.assign(lineText).append(": Code Alias");
            files_.echo(echoLine_);
        } else {
            echoLine_.assign(lineText).append(": Code Command - ").append(cmd.keyword).append(" [");
            echoLine_.append(codeKey(cmd.bytecode)).append("] ");
            files_.echo(echoLine_);
        }

        if (!continuation) {
            if (cmd.alias) {
                k = 0;
            } else {
                appendByte(cmd.bytecode);
                k = 1;
            }
        }

        int bound = 0;
        std::string value;
        for (int j = 0; j < cmd.parmCount(); ++j) {
            const int type = cmd.Parmsise(j);
            const std::string& desc = cmd.ParmDesc(j);
            if (type == 4) break;
            if (type == 7) {
                const int sub = keywords_.find(desc);
                uint8_t byte;
                if (sub) {
                    byte = at(sub).bytecode;
                    echoLine_.assign(SmartNum::STransLabel(-7)).append(at(sub).keyword).append(" [");
                    echoLine_.append(codeKey(byte)).append("] ");
                    files_.echo(echoLine_, false, 4);
                } else {
                    byte = numeric::toByte(numeric::read(desc));
                }
                appendByte(byte);
                if (k == 0) k = 1;
            } else if (type == 6) {
                append(desc, desc);
            } else if (!desc.empty()) {
                value = wordAt(k);
                const ParmSpec& spec = specOf(position, j);
                const bool numberField = numberFieldBytes(type) > 0;
                if (spec.isSelect()) {
                    if (value.empty()) missingWord(k);
                    if (!isNumberWord(value)) badWord(value, k);
                    // Indexes outside 0..15 are the resolver's error; one past
                    // the list would give an empty word that silently drops the field.
                    const int16_t n = numeric::toInt16(numeric::read(value));
                    if (n >= 0 && n < SmartString::kSlots && static_cast<std::size_t>(n) >= spec.entries.size())
                        badWord(value, k);
                } else if (spec.isBind() && value.empty()) {
                    missingWord(k);
                }
                const int target = resolve(spec, value);
                if (numberField && !value.empty() && (spec.isFixed() || spec.isSelect() || spec.isBind()))
                    checkNumber(value, type, spec.isBind() ? k : 0);
                if (spec.kind != "mask" && !value.empty()) {
                    if (spec.isBind()) {
                        // A "*" chain repeats while words follow and ends with the line.
                        if (target && !(spec.isStarList() && k >= words.count())) bound = target;
                        ++k;
                    } else if (spec.isSelect()) {
                        ++k;
                    }
                }
                appendCode(value, type);
            } else {
                const std::string& word = wordAt(k);
                if (word.empty()) missingWord(k);
                if (numberFieldBytes(type) > 0) checkNumber(word, type, k);
                appendCode(word, type);
                ++k;
            }
        }

        if (!bound) break;
        // Every continuation consumes a word, so the chain ends with the line;
        // the cap only makes that evident.
        if (++hops > kMaxBound) throw OutOfRangeError("more than 16 bound commands in one statement");
        position = bound;
        continuation = true;
    }

    echoLine_.assign(" -> ").append(valueList_);
    files_.echo(echoLine_);
    std::string pointers;
    std::string bytes;
    if (!fieldSpans_.empty()) {
        const std::string_view values(valueList_);
        const std::string_view types(typeList_);
        fieldWords_.clear();
        fieldTypes_.clear();
        for (const FieldSpan& span : fieldSpans_) {
            fieldWords_.push_back(values.substr(span.valueAt, span.valueLength));
            fieldTypes_.push_back(types.substr(span.typeAt, span.typeLength));
        }
        bytes = num_.kaCodevals(fieldWords_, fieldTypes_, pointers);
    }
    script = std::move(bytes);
    smask = std::move(pointers);
    cur_ = 0;
    return true;
}

namespace {

const char* fieldName(int type) {
    switch (type) {
        case 0: return "a byte";
        case 1: return "a word";
        case 2: return "a dword";
        default: return "an enumeration";
    }
}

}  // namespace

// Parameter numbers count the words after the keyword; 0 names a value that
// the definition itself fixes.
std::string CmdList::parameterName(int parm) const {
    if (parm <= 0) return "a fixed field of '" + head_ + "'";
    return "parameter " + numeric::decimal(parm) + " of '" + head_ + "'";
}

void CmdList::checkNumber(const std::string& value, int type, int parm) {
    switch (fieldFit(value, type)) {
        case FieldFit::fits:
            return;
        case FieldFit::notNumber:
            badWord(value, parm);
        case FieldFit::misfit:
            warnings_.push_back("'" + value + "' does not fit " + parameterName(parm) + " (" + fieldName(type) +
                                " field); written as " + fieldBytesText(value, type));
            return;
    }
}

void CmdList::badWord(const std::string& word, int parm) const {
    throw FormatError("'" + word + "' is not a value for " + parameterName(parm));
}

void CmdList::missingWord(int parm) const { throw FormatError("missing " + parameterName(parm)); }

// --- decoder -----------------------------------------------------------

void CmdList::decode(std::string& code, std::string& mask, bool sense) {
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
        int position = byteCodes()[byte];
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

void CmdList::decodeCommand(const std::string& bytes, std::size_t& pos, int position, bool sense, std::string& text,
                            std::string& entries, bool& endMark) {
    text.clear();
    entries.clear();
    bool continuation = false;
    int hops = 0;
    for (;;) {
        cur_ = position;
        const tCmd& cmd = at(position);
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
            if (isPointerType(type)) {
                // Image mode shows the pointer; buffer mode its 1-based byte
                // position, which the caller swaps for the label recorded there.
                if (sense)
                    text += SmartNum::numberpull(field(bytes, pos, 4));
                else
                    text += numeric::decimal(static_cast<int64_t>(pos + 1));
                entries += '3';
                pos += 4;
            } else if (type == 6 || type == 7) {
                text += cmd.ParmDesc(j);
                pos += 1;
            } else if (type == 4) {
                if (comma) entries.pop_back();
                endMark = true;
                if (sense) return;
            } else {
                const auto length = static_cast<std::size_t>(SmartNum::STransLength(-type, 2));
                const std::string word = SmartNum::numberpull(field(bytes, pos, length));
                if (!cmd.ParmDesc(j).empty()) {
                    // Only a binding changes the walk; the word keeps showing
                    // the bytes as they are, so other kinds need no resolving
                    // (a select could only fail on a number past its list).
                    const ParmSpec& spec = specOf(position, j);
                    if (spec.isBind()) {
                        std::string resolved = word;
                        if (const int target = resolve(spec, resolved)) bound = target;
                    }
                    if (spec.kind == "mask") files_.echo("PIP");
                }
                text += word;
                entries += numeric::decimal(type);
                pos += length;
            }
        }
        if (!bound || ++hops > kMaxBound) return;
        position = bound;
        continuation = true;
    }
}

// --- statements --------------------------------------------------------

int CmdList::findAlias(const std::vector<std::string_view>& entries, std::size_t first, std::size_t wordsLeft,
                       const std::vector<int>& rejected) const {
    if (first >= entries.size()) return 0;
    auto lookup = [&](std::size_t last) {
        const char* begin = entries[first].data();
        const char* end = entries[last].data() + entries[last].size();
        const int position = codes_.find(std::string_view(begin, static_cast<std::size_t>(end - begin)));
        if (!position || !at(position).alias) return 0;
        return std::find(rejected.begin(), rejected.end(), position) == rejected.end() ? position : 0;
    };
    // Only as many entries as some alias key holds can match.
    auto possible = [this](std::size_t width) { return width < aliasKeyWidths_.size() && aliasKeyWidths_[width] > 0; };
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
bool CmdList::walkStatement(int position, bool asAlias, const std::vector<std::string_view>& words, std::size_t first,
                            Walk& walk) const {
    walk.placed.clear();
    walk.pointers.clear();
    walk.entries = 0;
    walk.last = position;

    std::size_t t = first;
    bool keywordParm = asAlias;
    if (asAlias) {
        const tCmd& alias = at(position);
        if (alias.parmCount() == 0 || alias.Parmsise(0) != 7) return false;
    } else {
        ++t;
        ++walk.entries;
    }

    int hops = 0;
    for (bool more = true; more;) {
        walk.last = position;
        const tCmd& cmd = at(position);
        int bound = 0;
        for (int j = 0; j < cmd.parmCount(); ++j) {
            if (t >= words.size()) {
                more = false;
                break;
            }
            const int type = cmd.Parmsise(j);
            const std::string_view word = words[t];
            if (type == 4) {
                if (word.empty()) ++t;
                continue;
            }
            ++t;
            ++walk.entries;
            const std::string& desc = cmd.ParmDesc(j);
            if (type == 7) {
                if (keywordParm) {
                    keywordParm = false;
                    if (!textkit::equalsIgnoreCase(word, desc)) return false;
                }
                continue;
            }
            const ParmSpec* spec = desc.empty() ? nullptr : &specOf(position, j);
            if (isPointerType(type)) {
                if (!walk.pointers.empty()) walk.pointers += ',';
                walk.pointers += word;
                walk.pointers += ',';
                walk.pointers += numeric::decimal(type);
                if (spec && spec->isFixed()) continue;
                walk.placed.push_back(word.starts_with("&h") ? std::string(word) : "$" + std::string(word));
                continue;
            }
            if (type == 6) {
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
                const int target = resolve(*spec, resolved);
                if (target) bound = target;
                walk.placed.push_back(std::move(resolved));
            }
            // Other kinds read a word without consuming it: nothing to place.
        }
        if (!bound || ++hops > kMaxBound) break;
        position = bound;
        keywordParm = false;
    }
    walk.words = t - first;
    return true;
}

void CmdList::dealias(std::string& code, std::string& mask) {
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

        const int plain = keywords_.find(first);
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
                       maxPlaceholder(at(candidate).keyword) == aliasWalk.placed.size();
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
            statement = fillTemplate(at(alias).keyword, aliasWalk.placed);
            walk = &aliasWalk;
        } else if (plain) {
            statement = at(plain).keyword;
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
        cur_ = walk->last;
        const Walk& span = plain ? plainWalk : aliasWalk;
        wi += std::max<std::size_t>(1, span.words);
        ei += span.entries;
        rawBefore = false;
    }
    code = std::move(out);
    mask = std::move(pointers);
}

}  // namespace kestrel
