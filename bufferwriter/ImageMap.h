#pragma once
// The image as a strip of cells for the window's map: filler runs, other
// data, labels already placed and the room the search found, so that the
// user sees where things go before burning.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrel {

class ImageMap {
public:
    enum class Cell : uint8_t { Filler00, FillerFF, Data, Label, Room };
    // [address, address + size)
    using Span = std::pair<int64_t, int64_t>;

    // Reads the image (by its native path) and sorts `count` equal parts of
    // it into filler and data. A missing image gives an empty map. The image
    // is read again only when its path, size or time changed.
    void survey(const std::string& path, std::size_t count);

    // The surveyed cells with the labels and the room drawn over them.
    std::vector<Cell> cells(const std::vector<Span>& labels, const std::optional<Span>& room) const;

    int64_t imageLength() const { return length_; }
    // The address range of cell i.
    Span cellSpan(std::size_t i) const;

private:
    std::string path_;
    int64_t length_ = 0;
    std::filesystem::file_time_type time_{};
    std::vector<Cell> base_;
};

}  // namespace kestrel
