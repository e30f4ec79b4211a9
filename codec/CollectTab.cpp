#include "codec/CollectTab.h"

#include <utility>

namespace wren {

CollectTab::CollectTab(std::string colA, std::string colB, uint8_t crossTab)
    : colA_(std::move(colA)), colB_(std::move(colB)), crossTab_(crossTab) {}

}  // namespace wren
