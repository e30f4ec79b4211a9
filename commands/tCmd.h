#pragma once
// One command or alias definition of the command database.
#include <array>
#include <cstdint>
#include <string>

namespace kestrel {

class tCmd {
public:
    static constexpr int kMaxParms = 16;

    // A command: its keyword in lower case. An alias: its whole template ("show $1").
    std::string keyword;
    // The command byte; 0 for an alias.
    uint8_t bytecode = 0;
    bool alias = false;
    // Parameters defined so far.
    uint8_t parmcnt = 0;
    // A command: the comment of its definition line. An alias: its type list.
    std::string Descriptions;

    // Type code and specification of parameter `index`; OutOfRangeError
    // outside 0..15 (so a seventeenth parameter cannot be stored).
    uint8_t Parmsise(int index) const;
    void setParmsise(int index, uint8_t type);
    const std::string& ParmDesc(int index) const;
    void setParmDesc(int index, std::string spec);

    // Stores a parameter at `parmcnt` and counts it; OutOfRangeError for the seventeenth.
    void addparm(uint8_t type);
    void addparm(uint8_t type, std::string spec);

    // `parmcnt` capped at 16, the bound every walk over the parameters uses.
    int parmCount() const { return parmcnt < kMaxParms ? parmcnt : kMaxParms; }

private:
    std::array<uint8_t, kMaxParms> parmsise_{};
    std::array<std::string, kMaxParms> parmDesc_;
};

}  // namespace kestrel
