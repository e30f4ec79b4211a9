#include "platform/Platform.h"

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

void Platform::writeConsole(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

void Platform::flushConsole() { std::fflush(stdout); }

void Platform::writeDiagnostic(std::string_view line) {
    flushConsole();
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace kestrel
