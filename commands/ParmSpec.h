#pragma once
// A parameter specification taken apart: kind "(" list ")" tail, every part
// optional. "select(10,20,30)", "bind(1,2)next", "mask(&hff)", or a bare
// constant such as "&h0f".
#include <string>
#include <vector>

namespace kestrel {

struct ParmSpec {
    std::string kind;  // text before the first "("; empty without one
    std::string list;  // between the first "(" and ")"; the whole text when either is missing
    std::string tail;  // after the ")", unless the ")" ends the text
    // The list cut at "," by the tokenizer (at most 16 entries, the last one
    // keeps the rest), and the numeric reading of each entry.
    std::vector<std::string> entries;
    std::vector<double> readings;

    static ParmSpec parse(const std::string& spec);

    // Kinds that write their list as a fixed value and consume no word.
    bool isFixed() const { return kind.empty() || kind == "mask"; }
    bool isSelect() const { return kind == "select"; }
    bool isBind() const { return kind == "bind"; }
    bool isStarList() const { return entries.size() == 1 && entries[0] == "*"; }
    bool isEmptyList() const { return entries.size() == 1 && entries[0].empty(); }
    // First entry whose numeric reading equals `reading`; -1 when none does.
    int indexOf(double reading) const;
};

}  // namespace kestrel
