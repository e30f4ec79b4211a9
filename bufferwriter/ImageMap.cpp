#include "bufferwriter/ImageMap.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace kestrel {

namespace fs = std::filesystem;

void ImageMap::survey(const std::string& path, std::size_t count) {
    std::error_code ec;
    const auto size = path.empty() ? 0 : fs::file_size(path, ec);
    const auto time = ec || path.empty() ? fs::file_time_type{} : fs::last_write_time(path, ec);
    if (path.empty() || ec || count == 0) {
        path_.clear();
        length_ = 0;
        base_.clear();
        return;
    }
    if (path == path_ && static_cast<int64_t>(size) == length_ && time == time_ && base_.size() == count) return;
    path_ = path;
    length_ = static_cast<int64_t>(size);
    time_ = time;
    base_.assign(count, Cell::Data);
    std::ifstream in(path, std::ios::binary);
    std::string chunk;
    for (std::size_t i = 0; i < count && in; ++i) {
        const auto [from, to] = cellSpan(i);
        chunk.resize(static_cast<std::size_t>(std::max<int64_t>(to - from, 0)));
        in.seekg(from);
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        chunk.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
        if (chunk.empty()) continue;
        const char first = chunk.front();
        const bool uniform = std::all_of(chunk.begin(), chunk.end(), [first](char c) { return c == first; });
        if (uniform && first == '\0')
            base_[i] = Cell::Filler00;
        else if (uniform && first == '\xFF')
            base_[i] = Cell::FillerFF;
    }
}

ImageMap::Span ImageMap::cellSpan(std::size_t i) const {
    if (base_.empty()) return {0, 0};
    const auto n = static_cast<int64_t>(base_.size());
    const auto k = static_cast<int64_t>(i);
    return {length_ * k / n, length_ * (k + 1) / n};
}

std::vector<ImageMap::Cell> ImageMap::cells(const std::vector<Span>& labels, const std::optional<Span>& room) const {
    std::vector<Cell> out = base_;
    auto paint = [&](const Span& span, Cell cell) {
        if (out.empty() || length_ <= 0 || span.first >= length_) return;
        const int64_t last = std::min(span.first + std::max<int64_t>(span.second, 1), length_) - 1;
        const auto n = static_cast<int64_t>(out.size());
        for (int64_t c = span.first * n / length_; c <= last * n / length_ && c < n; ++c)
            out[static_cast<std::size_t>(c)] = cell;
    };
    if (room) paint(*room, Cell::Room);
    for (const Span& label : labels) paint(label, Cell::Label);
    return out;
}

}  // namespace kestrel
