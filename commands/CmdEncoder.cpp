#include "commands/CmdEncoder.h"

#include <charconv>
#include <utility>

#include "commands/CmdList.h"
#include "commands/FieldFit.h"
#include "services/Log.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/ParmType.h"

namespace kestrel {

namespace {

// Decimal digits of `value` in `digits`, which must hold them.
template <std::size_t N>
std::string_view decimalView(char (&digits)[N], int value) {
    const auto [end, ec] = std::to_chars(digits, digits + N, value);
    (void)ec;
    return std::string_view(digits, static_cast<std::size_t>(end - digits));
}

const char* fieldName(int type) {
    switch (type) {
    case ParmType::byte: return "a byte";
    case ParmType::word: return "a word";
    case ParmType::dword: return "a dword";
    default: return "an enumeration";
    }
}

}  // namespace

int CmdEncoder::findDefinition() {
    SmartString& words = words_;
    // The template form begins with "$1" for a value word, else with the word
    // itself; a single word that is no value is its own template form.
    int position = 0;
    const bool valueFirst = SmartString::isvalue(words.values(0), true);
    if (words.count() == 0) {
        if (valueFirst) position = cmds_.findKeyword("$1");
    } else {
        const std::string_view head = valueFirst ? std::string_view("$1") : std::string_view(words.values(0));
        if (cmds_.startsTemplate(head.substr(0, head.find(' ')))) {
            words.kaStandard();
            position = cmds_.findKeyword(words.vStandard);
        }
    }
    if (!position) position = cmds_.findKeyword(words.values(0));
    return position;
}

const std::string& CmdEncoder::wordAt(int k) const {
    static const std::string kNoWord;
    if (k >= SmartString::kSlots) throw OutOfRangeError("statement word " + numeric::decimal(k + 1) + " (at most 16)");
    return k > words_.count() ? kNoWord : words_.values(k);
}

void CmdEncoder::append(std::string_view value, std::string_view type) {
    if (!fieldSpans_.empty()) {
        typeList_ += ',';
        valueList_ += ' ';
    }
    fieldSpans_.push_back({valueList_.size(), value.size(), typeList_.size(), type.size()});
    typeList_ += type;
    valueList_ += value;
}

void CmdEncoder::appendCode(std::string_view value, int type) {
    char digits[12];
    append(value, decimalView(digits, type));
}

void CmdEncoder::appendByte(uint8_t byte) {
    char digits[4];
    append(decimalView(digits, byte), "0");
}

bool CmdEncoder::encode(std::string& script, std::string& smask, int iline) {
    warnings_.clear();
    SmartString& words = words_;
    words.kaSplit(script, " ");
    int position = findDefinition();
    if (!position) {
        log_.echo("Invalid Command : " + words.values(0));
        cmds_.setCurrent(0);
        return false;
    }
    // The tokenizer holds sixteen words: the last slot would take the rest
    // of a longer statement as one word.
    if (words.count() == SmartString::kSlots - 1 &&
        words.values(SmartString::kSlots - 1).find(' ') != std::string::npos)
        throw OutOfRangeError("more than 16 words in one statement");
    head_.assign(words.values(0));

    valueList_.clear();
    typeList_.clear();
    fieldSpans_.clear();

    char lineDigits[12];
    const std::string_view lineText = decimalView(lineDigits, iline);
    bool continuation = false;
    int k = 0;
    int hops = 0;
    for (;;) {
        cmds_.setCurrent(position);
        const tCmd& cmd = cmds_.at(position);
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
            log_.echo(echoLine_);
        } else {
            echoLine_.assign(lineText).append(": Code Command - ").append(cmd.keyword).append(" [");
            echoLine_.append(CmdList::codeKey(cmd.bytecode)).append("] ");
            log_.echo(echoLine_);
        }

        if (!continuation) {
            if (cmd.alias) {
                k = 0;
            } else {
                appendByte(cmd.bytecode);
                k = 1;
            }
        }

        const int bound = encodeParms(position, k);
        if (!bound) break;
        // Every continuation consumes a word, so the chain ends with the line;
        // the cap only makes that evident.
        if (++hops > CmdList::kMaxBound) throw OutOfRangeError("more than 16 bound commands in one statement");
        position = bound;
        continuation = true;
    }

    echoLine_.assign(" -> ").append(valueList_);
    log_.echo(echoLine_);
    std::string pointers;
    std::string bytes = codeFields(pointers);
    script = std::move(bytes);
    smask = std::move(pointers);
    cmds_.setCurrent(0);
    return true;
}

int CmdEncoder::encodeParms(int position, int& k) {
    const tCmd& cmd = cmds_.at(position);
    int bound = 0;
    std::string value;
    for (int j = 0; j < cmd.parmCount(); ++j) {
        const int type = cmd.Parmsise(j);
        const std::string& desc = cmd.ParmDesc(j);
        const ParmLayout layout = ParmType::of(type).layout;
        if (layout == ParmLayout::endMark) break;
        if (layout == ParmLayout::command) {
            const int sub = cmds_.findKeyword(desc);
            uint8_t byte;
            if (sub) {
                const tCmd& subcmd = cmds_.at(sub);
                byte = subcmd.bytecode;
                echoLine_.assign(ParmType::of(ParmType::command).label).append(subcmd.keyword).append(" [");
                echoLine_.append(CmdList::codeKey(byte)).append("] ");
                log_.echo(echoLine_, false, 4);
            } else {
                byte = numeric::toByte(numeric::read(desc));
            }
            appendByte(byte);
            if (k == 0) k = 1;
        } else if (layout == ParmLayout::mask) {
            append(desc, desc);
        } else if (!desc.empty()) {
            value = wordAt(k);
            const ParmSpec& spec = cmds_.specOf(position, j);
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
            const int target = cmds_.resolve(spec, value);
            if (numberField && !value.empty() && (spec.isFixed() || spec.isSelect() || spec.isBind()))
                checkNumber(value, type, spec.isBind() ? k : 0);
            if (spec.kind != "mask" && !value.empty()) {
                if (spec.isBind()) {
                    // A "*" chain repeats while words follow and ends with the line.
                    if (target && !(spec.isStarList() && k >= words_.count())) bound = target;
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
    return bound;
}

std::string CmdEncoder::codeFields(std::string& pointers) {
    if (fieldSpans_.empty()) return {};
    const std::string_view values(valueList_);
    const std::string_view types(typeList_);
    fieldWords_.clear();
    fieldTypes_.clear();
    for (const FieldSpan& span : fieldSpans_) {
        fieldWords_.push_back(values.substr(span.valueAt, span.valueLength));
        fieldTypes_.push_back(types.substr(span.typeAt, span.typeLength));
    }
    return num_.kaCodevals(fieldWords_, fieldTypes_, pointers);
}

// Parameter numbers count the words after the keyword; 0 names a value that
// the definition itself fixes.
std::string CmdEncoder::parameterName(int parm) const {
    if (parm <= 0) return "a fixed field of '" + head_ + "'";
    return "parameter " + numeric::decimal(parm) + " of '" + head_ + "'";
}

void CmdEncoder::checkNumber(const std::string& value, int type, int parm) {
    switch (fieldFit(value, type)) {
    case FieldFit::fits: return;
    case FieldFit::notNumber: badWord(value, parm);
    case FieldFit::misfit:
        warnings_.push_back("'" + value + "' does not fit " + parameterName(parm) + " (" + fieldName(type) +
                            " field); written as " + fieldBytesText(value, type));
        return;
    }
}

void CmdEncoder::badWord(const std::string& word, int parm) const {
    throw FormatError("'" + word + "' is not a value for " + parameterName(parm));
}

void CmdEncoder::missingWord(int parm) const { throw FormatError("missing " + parameterName(parm)); }

}  // namespace kestrel
