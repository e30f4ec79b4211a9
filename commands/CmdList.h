#pragma once
// The command database: every command and alias definition of a run, found
// by keyword and by code key, with the encoder (a statement to bytecode and a
// pointer list) and the decoder (bytecode to words, words to statements).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "commands/KeyIndex.h"
#include "commands/ParmSpec.h"
#include "commands/tCmd.h"
#include "text/SmartNum.h"
#include "text/SmartString.h"

namespace kestrel {

class Autobank;
class FileHandle;

class CmdList {
public:
    // Longest chain of bound commands that one command may pull in; longer
    // chains (a command bound to itself) are cut there.
    static constexpr int kMaxBound = 16;

    // `autobank` is the program's switch for the pointers of "$" type entries.
    CmdList(FileHandle& files, const Autobank& autobank);

    // The definition being built by the definition directives; `add` files it.
    tCmd& newcmd() { return newcmd_; }
    // The definition the last encode, decode, dealias or item worked with (an
    // empty one after a finished encode).
    const tCmd& curcmd() const;

    // Files `newcmd` under its keyword and code key (the byte in upper-case
    // hexadecimal for a command, ParmDesc(0) for an alias). A key already
    // present is logged as "Duplicate Entry: <keyword>"; when both keys are
    // taken a DuplicateKeyError is raised and `newcmd` is kept.
    void add();
    // Looks a definition up by keyword (`byKeyword`) or code key, makes it
    // curcmd and returns its template form; MissingKeyError when absent.
    std::string item(const std::string& key, bool byKeyword);
    int32_t count() const { return static_cast<int32_t>(commands_.size()); }
    // Removes the definition filed under the code key; MissingKeyError when absent.
    void Remove(const std::string& key);

    // The definitions in the order they were added.
    std::vector<tCmd>::const_iterator begin() const { return commands_.begin(); }
    std::vector<tCmd>::const_iterator end() const { return commands_.end(); }

    // Compiles one statement. True when a definition was found: `script` then
    // holds the bytes and `smask` the pointer list (target,position,type,...).
    // False leaves both untouched ("Invalid Command : " is logged). A word
    // that a parameter needs but the line lacks, or that it cannot take, is a
    // FormatError naming it; nothing is compiled then.
    bool encode(std::string& script, std::string& smask, int iline);
    // What the last successful encode wrote other than the line says: numbers
    // too large for their field, one message each ("'256' does not fit ...").
    const std::vector<std::string>& warnings() const { return warnings_; }
    // Bytes to a word list (`code`) and an entry list (`mask`). `sense` true:
    // image mode (pointers as "&h" words, an end-of-script mark stops).
    // Never fails on any input.
    void decode(std::string& code, std::string& mask, bool sense);
    // Word and entry lists of `decode` to statements joined by "; " (aliases
    // restored, raw runs as "#0x.. 0x.." data lines); `mask` becomes the
    // pointer entries "word,type,...". MissingKeyError for a statement word
    // that is neither a keyword nor an alias.
    void dealias(std::string& code, std::string& mask);

private:
    friend class CmdListTestAccess;

    struct Walk;

    // Builds the alias type list of `newcmd` into its Descriptions.
    void aliasmask();
    // Resolves specification `spec` against `word` (both in and out; `spec`
    // becomes the kind). Returns the position of a bound command, or 0.
    int applyspec(std::string& spec, std::string& word) const;
    int resolve(const ParmSpec& spec, std::string& word) const;

    // Position that `codes` holds for each byte's code key, rebuilt after a change.
    const std::array<int, 256>& byteCodes() const;
    void countAliasKey(std::string_view key);

    const tCmd& at(int position) const { return commands_[static_cast<std::size_t>(position - 1)]; }
    const ParmSpec& specOf(int position, int parm) const;

    void decodeCommand(const std::string& bytes, std::size_t& pos, int position, bool sense, std::string& text,
                       std::string& entries, bool& endMark);
    bool walkStatement(int position, bool asAlias, const std::vector<std::string_view>& words, std::size_t first,
                       Walk& walk) const;
    int findAlias(const std::vector<std::string_view>& entries, std::size_t first, std::size_t wordsLeft,
                  const std::vector<int>& rejected) const;

    FileHandle& files_;
    std::vector<tCmd> commands_;
    // Parsed ParmDesc of every parameter of every filed definition, parallel
    // to commands_ (definitions never change once filed).
    std::vector<std::vector<ParmSpec>> specs_;
    KeyIndex keywords_;
    KeyIndex codes_;
    tCmd newcmd_;
    int cur_ = 0;  // position of curcmd, 0 for an empty definition
    mutable std::array<int, 256> byteCodes_{};
    mutable bool byteCodesStale_ = true;
    // Alias code keys by their number of comma-separated entries (1..16).
    std::array<int, SmartString::kSlots + 1> aliasKeyWidths_{};

    // First words of every keyword ever filed that has more than one word: a
    // line of several words whose template form starts with none of them
    // matches no keyword by its template.
    KeyIndex templateHeads_;

    // Checks the number word of field `type` that parameter `parm` of the
    // statement receives: a FormatError when it is no number, a warning when
    // the field cannot hold it.
    void checkNumber(const std::string& value, int type, int parm);
    [[noreturn]] void badWord(const std::string& word, int parm) const;
    std::string parameterName(int parm) const;
    [[noreturn]] void missingWord(int parm) const;

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
