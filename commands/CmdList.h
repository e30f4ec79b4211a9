#pragma once
// The command database: every command and alias definition of a run, found
// by keyword and by code key. It carries an encoder (a statement to bytecode
// and a pointer list) and a decoder (bytecode to words, words to statements),
// which read the definitions through the look-ups below.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "commands/CmdDecoder.h"
#include "commands/CmdEncoder.h"
#include "commands/KeyIndex.h"
#include "commands/ParmSpec.h"
#include "commands/tCmd.h"
#include "text/SmartString.h"

namespace kestrel {

class Autobank;
class Log;

class CmdList {
public:
    // Longest chain of bound commands that one command may pull in; longer
    // chains (a command bound to itself) are cut there.
    static constexpr int kMaxBound = 16;

    // `autobank` is the program's switch for the pointers of "$" type entries.
    CmdList(Log& log, const Autobank& autobank);
    // The encoder and decoder hold this database by reference.
    CmdList(const CmdList&) = delete;
    CmdList& operator=(const CmdList&) = delete;

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

    // The codec over this database (see CmdEncoder and CmdDecoder).
    bool encode(std::string& script, std::string& smask, int iline) { return encoder_.encode(script, smask, iline); }
    const std::vector<std::string>& warnings() const { return encoder_.warnings(); }
    void decode(std::string& code, std::string& mask, bool sense) { decoder_.decode(code, mask, sense); }
    void dealias(std::string& code, std::string& mask) { decoder_.dealias(code, mask); }

    // --- look-ups for the encoder and decoder. Positions count from 1 in
    // the order of `add`; 0 means "not found".

    int findKeyword(std::string_view key) const { return keywords_.find(key); }
    int findCode(std::string_view key) const { return codes_.find(key); }
    // The definition whose code key is this byte's.
    int findByte(uint8_t byte) const {
        if (byteCodesStale_) indexBytes();
        return byteCodes_[byte];
    }
    // Whether some keyword of several words begins with `head`: a statement
    // of several words whose template form begins otherwise matches no
    // keyword by its template.
    bool startsTemplate(std::string_view head) const { return templateHeads_.find(head) != 0; }
    // Whether some alias is filed under a code key of `width` comma-separated
    // entries, the only widths an alias look-up can match.
    bool hasAliasKeyOf(std::size_t width) const { return width < aliasKeyWidths_.size() && aliasKeyWidths_[width] > 0; }
    const tCmd& at(int position) const { return commands_[static_cast<std::size_t>(position - 1)]; }
    // Parameter `parm` of the definition at `position`, its ParmDesc parsed.
    const ParmSpec& specOf(int position, int parm) const {
        return specs_[static_cast<std::size_t>(position - 1)][static_cast<std::size_t>(parm)];
    }
    // Resolves a parsed specification against `word` (in and out); the
    // position of a bound command, or 0.
    int resolve(const ParmSpec& spec, std::string& word) const;
    // Makes the definition at `position` curcmd (0: a fresh empty one).
    void setCurrent(int position) { cur_ = position; }

    // The code key of a byte: upper-case hexadecimal without leading zeros.
    static const std::string& codeKey(uint8_t byte);

private:
    friend class CmdListTestAccess;

    // Builds the alias type list of `newcmd` into its Descriptions.
    void aliasmask();
    // Resolves specification `spec` against `word` (both in and out; `spec`
    // becomes the kind). Returns the position of a bound command, or 0.
    int applyspec(std::string& spec, std::string& word) const;

    void indexBytes() const;
    void countAliasKey(std::string_view key);

    Log& log_;
    std::vector<tCmd> commands_;
    // Parsed ParmDesc of every parameter of every filed definition, parallel
    // to commands_ (definitions never change once filed).
    std::vector<std::vector<ParmSpec>> specs_;
    KeyIndex keywords_;
    KeyIndex codes_;
    tCmd newcmd_;
    int cur_ = 0;  // position of curcmd, 0 for an empty definition
    // Position that `codes` holds for each byte's code key, rebuilt after a change.
    mutable std::array<int, 256> byteCodes_{};
    mutable bool byteCodesStale_ = true;
    // Alias code keys by their number of comma-separated entries (1..16).
    std::array<int, SmartString::kSlots + 1> aliasKeyWidths_{};
    // First words of every keyword ever filed that has more than one word.
    KeyIndex templateHeads_;

    CmdEncoder encoder_;
    CmdDecoder decoder_;
};

}  // namespace kestrel
