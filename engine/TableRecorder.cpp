#include "engine/TableRecorder.h"

#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/TextKit.h"

namespace kestrel {

namespace {

using Kind = CharacterTable::Kind;

// A code-form text ("&h" and hexadecimal digits) is the character of that
// code, as the codec reads it; false when that code is above 255.
bool characterOf(const std::string& text, std::string& out) {
    uint64_t value = 0;
    if (text.size() > 2 && text[0] == '&' && text[1] == 'h' && textkit::hexValue(text.substr(2), value)) {
        if (value > 0xFF) return false;
        out.assign(1, static_cast<char>(value));
        return true;
    }
    out = text;
    return true;
}

std::size_t slotOf(const std::string& name) {
    const std::string word = textkit::lower(name);
    if (word.size() == 1 && word[0] >= '0' && word[0] < '0' + static_cast<int>(CharacterTable::markerCount))
        return static_cast<std::size_t>(word[0] - '0');
    const std::size_t slot = CharacterTable::markerSlot(word);
    // The codec sets the hash marker for any other slot name.
    return slot == CharacterTable::markerCount ? CharacterTable::hash : slot;
}

}  // namespace

TableRecorder::TableRecorder(wren::IHandleLetters* inner, Report report) : inner_(inner), report_(std::move(report)) {}

TableRecorder::~TableRecorder() {
    if (inner_ != nullptr) inner_->Release();
}

void TableRecorder::Release() { delete this; }

void TableRecorder::add(std::string& Value1, std::string& Value2, const std::string& method) {
    record(Value1, Value2, method);
    inner_->add(Value1, Value2, method);
}

void TableRecorder::record(const std::string& Value1, const std::string& Value2, const std::string& method) {
    const std::string kind = textkit::lower(method);
    if (kind == "ctrl" || kind == "0")
        table_.markers[slotOf(Value2)] = textkit::lower(Value1);
    else if (kind == "hash" || kind == "1")
        recordEntry(Kind::name, textkit::lower(Value1), Value2);
    else if (kind == "text" || kind == "2")
        recordEntry(Kind::text, Value1, Value2);
}

void TableRecorder::recordEntry(Kind kind, const std::string& Value1, const std::string& Value2) {
    CharacterTable::Entry entry;
    entry.kind = kind;
    if (!characterOf(Value1, entry.text)) {
        report_("'" + Value1 + "' is the code of no character; the table file cannot hold it");
        return;
    }
    if (entry.text.find_first_of("\r\n") != std::string::npos) {
        report_("a text with a line break cannot be a line of the table file");
        return;
    }
    std::string code;
    if (kind == Kind::name) {
        int value = 0;
        try {
            value = static_cast<uint16_t>(numeric::toInt16(numeric::read(Value2)));
        } catch (const KestrelError&) {
            value = -1;
        }
        if (value < 0 || value > 0xFF) {
            report_("code '" + Value2 + "' of '" + entry.text +
                    "' is more than one byte; the table file maps single bytes");
            return;
        }
        code.assign(1, static_cast<char>(value));
    } else if (!characterOf(Value2, code) || code.size() != 1) {
        report_("code '" + Value2 + "' of '" + entry.text + "' is no hexadecimal byte; the codec cannot decode it");
        return;
    }
    entry.code = static_cast<uint8_t>(code[0]);
    table_.entries.push_back(std::move(entry));
}

}  // namespace kestrel
