#pragma once
// One pair of a two-way table: the script side, the image side and its kind.
#include <cstdint>
#include <string>
#include <utility>

namespace wren {

class CollectTab {
public:
    CollectTab() = default;
    CollectTab(std::string colA, std::string colB, uint8_t crossTab);

    const std::string& ColA() const { return colA_; }
    void setColA(std::string value) { colA_ = std::move(value); }
    const std::string& ColB() const { return colB_; }
    void setColB(std::string value) { colB_ = std::move(value); }
    uint8_t CrossTab() const { return crossTab_; }
    void setCrossTab(uint8_t value) { crossTab_ = value; }

private:
    std::string colA_;
    std::string colB_;
    uint8_t crossTab_ = 0;
};

}  // namespace wren
