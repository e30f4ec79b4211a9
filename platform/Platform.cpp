#include "platform/Platform.h"

#include "codec/Wren.h"

#include <cstdio>
#include <iostream>

namespace kestrel {

// Plain standard streams: platforms with a line editor or a terminal to
// protect override these.
std::optional<std::string> Platform::readConsoleLine(const std::string& prompt) {
    std::fputs(prompt.c_str(), stdout);
    std::fflush(stdout);
    std::string line;
    if (!std::getline(std::cin, line)) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

wren::WrenObject* Platform::createCodecObject(const char* classId) {
    wren::WrenObject* object = nullptr;
    return WrenCreateInstance(classId, &object) == 0 ? object : nullptr;
}

void Platform::writeConsole(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

void Platform::flushConsole() { std::fflush(stdout); }

} // namespace kestrel
