#include "commands/CmdList.h"

#include <algorithm>
#include <array>
#include <utility>

#include "services/Log.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/ParmType.h"

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

}  // namespace

CmdList::CmdList(Log& log, const Autobank& autobank)
    : log_(log), encoder_(*this, log, autobank), decoder_(*this, log) {}

const std::string& CmdList::codeKey(uint8_t byte) { return codeKeys()[byte]; }

const tCmd& CmdList::curcmd() const {
    static const tCmd empty;
    return cur_ ? at(cur_) : empty;
}

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
    if (keywordTaken) log_.echo("Duplicate Entry: " + filed.keyword);
    const std::string& key = filed.alias ? filed.ParmDesc(0) : codeKey(filed.bytecode);
    if (codes_.insert(key, position)) {
        byteCodesStale_ = true;
        if (filed.alias) countAliasKey(key);
    } else {
        if (keywordTaken) throw DuplicateKeyError(key);
        log_.echo("Duplicate Entry: " + filed.keyword);
    }
    newcmd_ = tCmd();
}

void CmdList::aliasmask() {
    std::string list;
    for (int i = 0; i < newcmd_.parmCount(); ++i) {
        if (i > 0) list += ',';
        const int type = newcmd_.Parmsise(i);
        const std::string& desc = newcmd_.ParmDesc(i);
        const ParmLayout layout = ParmType::of(type).layout;
        if (layout == ParmLayout::command) {
            list += desc;
        } else if (layout == ParmLayout::mask) {
            // Width of a hexadecimal mask: 2 digits a byte (0), 4 a word (1), 8 a dword (2).
            if (desc.starts_with("&h")) list += numeric::decimal(static_cast<int64_t>((desc.size() - 2) / 4));
        } else if (layout == ParmLayout::pointer) {
            // Every pointer kind is listed as a plain pointer.
            list += numeric::decimal(ParmType::pointer);
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
        // Fields up to the enumeration take a word of the line; the others are
        // the definition's own text.
        if (cmd.Parmsise(i) < ParmType::mask) {
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

void CmdList::indexBytes() const {
    for (int b = 0; b < 256; ++b)
        byteCodes_[static_cast<std::size_t>(b)] = codes_.find(codeKey(static_cast<uint8_t>(b)));
    byteCodesStale_ = false;
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

}  // namespace kestrel
