#include "engine/ForwardedLine.h"

#include <cstring>

namespace kestrel {

std::string ForwardedLine::commandLineTail(const std::string& commandLine) {
    std::size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        const std::size_t close = commandLine.find('"', 1);
        i = close == std::string::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && commandLine[i] != ' ' && commandLine[i] != '\t') ++i;
    }
    while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
    return commandLine.substr(i);
}

std::optional<std::u16string> ForwardedLine::fromRecord(std::uintptr_t tag, std::size_t size, const void* data) {
    if (tag != kTag || data == nullptr || size == 0 || size % 2 != 0 || size > kMaxBytes) return std::nullopt;
    std::u16string text(size / 2, u'\0');
    // The sender's buffer need not be aligned for char16_t: copy bytes.
    std::memcpy(text.data(), data, size);
    if (text.find(u'\0') != std::u16string::npos) return std::nullopt;
    return text;
}

}  // namespace kestrel
