#include "BufferFileLayout.h"

#include <cstdint>

namespace kestrel::fuzz {

namespace {

class Walker {
public:
    Walker(const std::string& file, std::vector<BufferFileLayout::Field>& out) : file_(file), out_(out) {}

    bool has(std::size_t bytes) const { return pos_ + bytes <= file_.size(); }
    bool atEnd() const { return pos_ >= file_.size(); }

    bool number(int width, BufferFileLayout::Kind kind, int32_t* value = nullptr) {
        if (!has(static_cast<std::size_t>(width))) return false;
        out_.push_back({pos_, width, kind});
        uint32_t v = 0;
        for (int i = 0; i < width; ++i)
            v |= static_cast<uint32_t>(static_cast<uint8_t>(file_[pos_ + static_cast<std::size_t>(i)])) << (8 * i);
        if (value) *value = width == 2 ? static_cast<int16_t>(v) : static_cast<int32_t>(v);
        pos_ += static_cast<std::size_t>(width);
        return true;
    }
    bool string() {
        if (!has(4)) return false;
        pos_ += 2;  // type tag
        int32_t length = 0;
        number(2, BufferFileLayout::Kind::StringLength, &length);
        const auto n = static_cast<std::size_t>(static_cast<uint16_t>(length));
        if (!has(n)) return false;
        pos_ += n;
        return true;
    }
    bool record() {
        using Kind = BufferFileLayout::Kind;
        return number(1, Kind::RecordBuffer) && number(4, Kind::RecordOffset) && number(2, Kind::RecordMode) &&
               string();
    }

private:
    const std::string& file_;
    std::vector<BufferFileLayout::Field>& out_;
    std::size_t pos_ = 0;
};

}  // namespace

std::vector<BufferFileLayout::Field> BufferFileLayout::fields(const std::string& file) {
    std::vector<Field> out;
    Walker walk(file, out);
    if (!walk.string() || !walk.string()) return out;
    int32_t count = 0;
    if (!walk.number(2, Kind::Count, &count)) return out;
    for (int32_t i = 0; i < count; ++i)
        if (!walk.record()) return out;
    for (int b = 0; b < 16; ++b) {
        if (!walk.number(2, Kind::Count, &count)) return out;
        for (int32_t i = 0; i < count; ++i)
            if (!walk.record()) return out;
    }
    while (!walk.atEnd())
        if (!walk.number(1, Kind::DataBuffer) || !walk.string()) return out;
    return out;
}

}  // namespace kestrel::fuzz
