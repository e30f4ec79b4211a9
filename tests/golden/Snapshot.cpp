#include "Snapshot.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <system_error>
#include <vector>

#include "buffers/FileBuffer.h"
#include "text/TextKit.h"

namespace kestrel::golden {

namespace {

constexpr std::size_t kBytesPerLine = 16;

bool isTextFile(const std::string& path) {
    const std::string ext = std::filesystem::path(path).extension().string();
    return ext == ".ksc" || ext == ".ksh" || ext == ".txt";
}

// The bytes of a label: from its offset up to the next label's or the end
// (offsets outside the buffer are clamped, as the buffer set does).
std::string_view labelBytes(const std::string& bytes, int32_t from, int32_t to) {
    const auto size = static_cast<int64_t>(bytes.size());
    const int64_t start = std::clamp<int64_t>(from, 0, size);
    const int64_t end = std::clamp<int64_t>(to, start, size);
    return std::string_view(bytes).substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
}

// "<head>: HEX" for up to 16 bytes, longer runs continue on "  @offset:" lines.
void appendRun(std::string& out, const std::string& head, std::string_view bytes, int64_t offset) {
    out += head + ":";
    for (std::size_t at = 0; at < bytes.size(); at += kBytesPerLine) {
        if (at > 0) out += "\n    @" + std::to_string(offset + static_cast<int64_t>(at)) + ":";
        out += " " + Snapshot::hexBytes(bytes.substr(at, kBytesPerLine));
    }
    out += "\n";
}

}  // namespace

std::string Snapshot::printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (byte < 0x20 || byte > 0x7E) {
            out += "\\x";
            textkit::appendHexPair(out, byte);
        } else {
            out += c;
        }
    }
    return out;
}

std::string Snapshot::hexBytes(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        if (!out.empty()) out += ' ';
        textkit::appendHexPair(out, static_cast<uint8_t>(c));
    }
    return out;
}

std::string Snapshot::hexDump(std::string_view bytes, const std::string& indent) {
    std::string out;
    for (std::size_t at = 0; at < bytes.size(); at += kBytesPerLine) {
        const std::string_view row = bytes.substr(at, kBytesPerLine);
        out += indent;
        for (int shift = 12; shift >= 0; shift -= 4) out += textkit::upperHexDigit(static_cast<unsigned>(at >> shift));
        out += ": ";
        std::string hex = hexBytes(row);
        hex.resize(kBytesPerLine * 3 - 1, ' ');
        out += hex + "  |";
        for (const char c : row) {
            const auto byte = static_cast<unsigned char>(c);
            out += byte >= 0x20 && byte <= 0x7E ? c : '.';
        }
        out += "|\n";
    }
    return out;
}

std::string Snapshot::textLines(std::string_view text, const std::string& indent) {
    std::string out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", start);
        out += indent + "|" + printable(text.substr(start, end == std::string_view::npos ? end : end - start)) + "\n";
        if (end == std::string_view::npos) break;
        start = end + 2;
    }
    return out;
}

std::string Snapshot::buffers(const FileBuffer& set) {
    std::string out;
    std::vector<std::string> names;  // labels and pointer targets, for the pushed addresses
    for (int b = 0; b < FileBuffer::kDataBuffers; ++b) {
        const std::string& bytes = set.buffer(b);
        const OffsetList& labels = set.labels(b);
        if (set.slotKind(b) == FileBuffer::SlotKind::Picture) {
            out += "buffer " + std::to_string(b) + ": picture of " + std::to_string(bytes.size()) + " bytes\n";
            continue;
        }
        if (bytes.empty() && labels.count() == 0) continue;
        out += "buffer " + std::to_string(b) + ": " + std::to_string(bytes.size()) + " bytes\n";
        const auto& items = labels.items();
        const int32_t firstLabel = items.empty() ? static_cast<int32_t>(bytes.size()) : items.front()->Offset;
        if (firstLabel > 0)
            appendRun(out, "buffer " + std::to_string(b) + " unlabelled @0", labelBytes(bytes, 0, firstLabel), 0);
        for (std::size_t i = 0; i < items.size(); ++i) {
            const fOffsett& label = *items[i];
            const int32_t end = i + 1 < items.size() ? items[i + 1]->Offset : static_cast<int32_t>(bytes.size());
            std::string head = "buffer " + std::to_string(b) + " label " + Snapshot::printable(label.name) + " @" +
                               std::to_string(label.Offset) + " mode " + std::to_string(label.mode);
            if (label.buffer != b) head += " (record buffer " + std::to_string(label.buffer) + ")";
            appendRun(out, head, labelBytes(bytes, label.Offset, end), label.Offset);
            names.push_back(label.name);
        }
    }
    int n = 0;
    for (const auto& pointer : set.pointers().items()) {
        ++n;
        const int32_t b = pointer->Offset / FileBuffer::kBufferStride;
        const int32_t position = pointer->Offset - b * FileBuffer::kBufferStride;
        out += "pointer " + std::to_string(n) + " " + printable(pointer->name) + ": Offset " +
               std::to_string(pointer->Offset) + " (buffer " + std::to_string(b) + " byte " + std::to_string(position) +
               ") mode " + std::to_string(pointer->mode) + " record buffer " + std::to_string(pointer->buffer) + "\n";
        names.push_back(pointer->name);
    }
    std::set<std::string> shown;
    for (const std::string& name : names) {
        if (!shown.insert(name).second) continue;
        if (auto address = set.pushed(name))
            out += "pushed " + printable(name) + " = \"" + printable(*address) + "\"\n";
    }
    if (set.fillme != -1) out += "fill " + std::to_string(set.fillme) + "\n";
    const std::string& comment = set.buffer(FileBuffer::kCommentSlot);
    if (!comment.empty()) {
        out += "comment: " + std::to_string(comment.size()) + " bytes\n";
        out += textLines(comment, "  ");
    }
    return out;
}

Snapshot::Tree Snapshot::readTree(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    Tree tree;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error)) continue;
        std::ifstream in(it->path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        tree[fs::relative(it->path(), root, error).generic_string()] = std::move(bytes);
    }
    return tree;
}

std::string Snapshot::changedFiles(const Tree& before, const Tree& after) {
    std::set<std::string> paths;
    for (const auto& [path, bytes] : before) paths.insert(path);
    for (const auto& [path, bytes] : after) paths.insert(path);
    std::string out;
    for (const std::string& path : paths) {
        const auto was = before.find(path);
        const auto now = after.find(path);
        if (now == after.end()) {
            out += "== " + path + " (deleted)\n";
            continue;
        }
        if (was != before.end() && was->second == now->second) continue;
        const std::string& bytes = now->second;
        out += "== " + path + " (" + (was == before.end() ? "created" : "changed") + ", " +
               std::to_string(bytes.size()) + " bytes)\n";
        out += isTextFile(path) ? textLines(bytes, "  ") : hexDump(bytes, "  ");
    }
    return out;
}

}  // namespace kestrel::golden
