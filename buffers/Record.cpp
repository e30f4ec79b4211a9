#include "buffers/Record.h"

#include "services/Log.h"
#include "text/Numeric.h"
#include "text/ParmType.h"
#include "text/SmartNum.h"
#include "text/SmartString.h"

namespace kestrel {

namespace {

constexpr int kValuesPerLine = 6;
constexpr int kMaxBytes = 256;

// Type code of a width word, or -1 for a value.
int widthCode(const std::string& word) {
    if (word == "b" || word == "byte" || word == "char") return ParmType::byte;
    if (word == "i" || word == "word" || word == "int") return ParmType::word;
    if (word == "l" || word == "dword" || word == "long") return ParmType::dword;
    if (word == "p" || word == "pointer" || word == "ptr") return ParmType::pointer;
    return -1;
}

}  // namespace

Record::Record(Log& log, const Autobank& autobank) : log_(log), autobank_(autobank) {}

void Record::Draw(std::string& text, std::string& list) {
    SmartString words;
    words.kaSplit(text, " ");
    const std::string& kind = words.values(0);
    if (kind != "move" && kind != "binary" && kind != "raw") {
        log_.echo("not implimented");
        list.clear();
        return;
    }
    std::string values;
    std::string types;
    int type = 0;
    for (int i = 1; i <= words.count(); ++i) {
        std::string word = words.values(i);
        const int code = widthCode(word);
        if (code >= 0) {
            type = code;
            continue;
        }
        // Record values are hexadecimal unless written otherwise.
        if (word.rfind("&h", 0) != 0) word = "&h" + word;
        if (!values.empty()) {
            values += ' ';
            types += ',';
        }
        values += word;
        types += numeric::spacedDecimal(type);
    }
    if (values.empty()) {
        text.clear();
        list.clear();
        return;
    }
    SmartNum converter(autobank_);
    text = converter.kaCodevals(values, types);
    list = types;
}

void Record::Draw(const std::string& line, std::string& data, std::string& list) {
    data = line;
    Draw(data, list);
}

void Record::undraw(std::string& data, bool stopAtFF) {
    log_.echo(" - MOVEMENT DATA ASSUMED");
    std::string out = "#move ";
    int counter = 0;
    for (const char c : data) {
        const auto byte = static_cast<unsigned char>(c);
        if (counter > 0 && counter % kValuesPerLine == 0) out += "\r\n#move ";
        out += "&h" + numeric::hexText(byte) + " ";
        if (stopAtFF && byte == 0xFF) break;
        if (++counter == kMaxBytes) break;
    }
    data = std::move(out);
}

}  // namespace kestrel
