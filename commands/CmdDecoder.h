#pragma once
// The decoder: bytecode back to script text in two passes, by the
// definitions of a command database. `decode` walks the bytes into a flat
// word list and entry list (unclaimed bytes become raw "#" words);
// `dealias` regroups them into statements, restoring aliases.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class CmdList;
class Log;

class CmdDecoder {
public:
    CmdDecoder(CmdList& cmds, Log& log) : cmds_(cmds), log_(log) {}

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
    struct Walk;

    // One command (and the commands it binds) from `pos` on, as its words and entries.
    void decodeCommand(const std::string& bytes, std::size_t& pos, int position, bool sense, std::string& text,
                       std::string& entries, bool& endMark);
    bool walkStatement(int position, bool asAlias, const std::vector<std::string_view>& words, std::size_t first,
                       Walk& walk) const;
    int findAlias(const std::vector<std::string_view>& entries, std::size_t first, std::size_t wordsLeft,
                  const std::vector<int>& rejected) const;

    CmdList& cmds_;
    Log& log_;
};

}  // namespace kestrel
