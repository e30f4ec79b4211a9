#pragma once
// The encoder: one statement of a script to the bytecode of its command and
// the pointer list of its open pointer slots, by the definitions of a
// command database (aliases expanded, fixed, selected and bound parameters
// resolved). Every number field is checked before it is written.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/SmartNum.h"
#include "text/SmartString.h"

namespace kestrel {

class CmdList;
class Autobank;
class Log;

class CmdEncoder {
public:
    CmdEncoder(CmdList& cmds, Log& log, const Autobank& autobank) : cmds_(cmds), log_(log), num_(autobank) {}

    // Compiles one statement. True when a definition was found: `script` then
    // holds the bytes and `smask` the pointer list (target,position,type,...).
    // False leaves both untouched ("Invalid Command : " is logged). A word
    // that a parameter needs but the line lacks, or that it cannot take, is a
    // FormatError naming it; nothing is compiled then.
    bool encode(std::string& script, std::string& smask, int iline);
    // What the last successful encode wrote other than the line says: numbers
    // too large for their field, one message each ("'256' does not fit ...").
    const std::vector<std::string>& warnings() const { return warnings_; }

private:
    // The definition a statement names: by its template form, else by its first word.
    int findDefinition();
    // Appends one field's value word and type entry.
    void append(std::string_view value, std::string_view type);
    void appendCode(std::string_view value, int type);
    void appendByte(uint8_t byte);
    // The fields of the definition at `position` from word `k` on; the
    // position of the command bound by one of them, or 0.
    int encodeParms(int position, int& k);
    // The bytes and pointer list of the fields gathered.
    std::string codeFields(std::string& pointers);

    // Checks the number word of field `type` that parameter `parm` of the
    // statement receives: a FormatError when it is no number, a warning when
    // the field cannot hold it.
    void checkNumber(const std::string& value, int type, int parm);
    [[noreturn]] void badWord(const std::string& word, int parm) const;
    std::string parameterName(int parm) const;
    [[noreturn]] void missingWord(int parm) const;
    // Word k of the statement; empty past its end, an error past the sixteenth.
    const std::string& wordAt(int k) const;

    CmdList& cmds_;
    Log& log_;

    // Scratch space of encode, kept to reuse its storage.
    SmartString words_;
    std::string head_;  // first word of the statement being encoded, for messages
    std::vector<std::string> warnings_;
    std::string line_;
    std::string echoLine_;
    // The value words joined by " " (for the log) and the type entries joined
    // by ","; fieldSpans_ holds where each field's word and entry lie.
    std::string valueList_;
    std::string typeList_;
    struct FieldSpan {
        std::size_t valueAt, valueLength, typeAt, typeLength;
    };
    std::vector<FieldSpan> fieldSpans_;
    std::vector<std::string_view> fieldWords_;
    std::vector<std::string_view> fieldTypes_;
    SmartNum num_;
};

}  // namespace kestrel
