#pragma once
// Deterministic text forms of what a golden case produces: console lines,
// the buffer set, and the files a run created or changed.
#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace kestrel {
class FileBuffer;
}

namespace kestrel::golden {

class Snapshot {
public:
    // Files of a folder tree: path relative to the root ("/" separated) -> bytes.
    using Tree = std::map<std::string, std::string>;

    // One line of text with CR as \r, LF as \n and other bytes outside
    // printable ASCII as \xHH, so expectation files stay plain text.
    static std::string printable(std::string_view text);
    // "07 00 4B": the bytes in upper-case hexadecimal.
    static std::string hexBytes(std::string_view bytes);
    // Lines of 16 bytes: "<indent>0010: 07 00 ... |..|" with hexadecimal offsets.
    static std::string hexDump(std::string_view bytes, const std::string& indent);
    // Text cut at CR LF, one "<indent>|" line per piece, the rest escaped.
    static std::string textLines(std::string_view text, const std::string& indent);

    // Buffers 0 to 15 with their labels and bytes, the pointers, the pushed
    // addresses of labels and pointer targets, and the comment slot.
    static std::string buffers(const FileBuffer& set);

    static Tree readTree(const std::filesystem::path& root);
    // Every file created, changed or deleted between two trees, in path
    // order; scripts and headers as text, everything else as a hex dump.
    static std::string changedFiles(const Tree& before, const Tree& after);
};

}  // namespace kestrel::golden
