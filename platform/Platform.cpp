#include "platform/Platform.h"

#include "codec/Wren.h"
#include "platform/FileTypeSet.h"
#include "platform/InstanceChannel.h"

#include <cstdio>
#include <iostream>

namespace kestrel {

// Plain standard streams: platforms with a line editor or a terminal to
// protect override these.
std::optional<std::string> Platform::readConsoleLine(const std::string& prompt) {
    std::fputs(prompt.c_str(), stdout);
    std::fflush(stdout);
    // CR LF, LF and a lone CR each end a line.
    std::streambuf& in = *std::cin.rdbuf();
    constexpr int eof = std::char_traits<char>::eof();
    std::string line;
    int c = in.sbumpc();
    if (c == eof) return std::nullopt;
    for (; c != eof && c != '\n'; c = in.sbumpc()) {
        if (c == '\r') {
            if (in.sgetc() == '\n') in.sbumpc();
            break;
        }
        line += static_cast<char>(c);
    }
    return line;
}

wren::WrenObject* Platform::createCodecObject(const char* classId) {
    wren::WrenObject* object = nullptr;
    return WrenCreateInstance(classId, &object) == 0 ? object : nullptr;
}

void Platform::writeConsole(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

void Platform::flushConsole() { std::fflush(stdout); }

void Platform::writeDiagnostic(std::string_view line) {
    flushConsole();
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace kestrel

namespace kestrel {

std::unique_ptr<FileLock> Platform::waitForLock(const std::string&) { return nullptr; }

std::vector<std::string> Platform::publishFileTypes(const FileTypeSet&) {
    return {"the desktop of this system reads the registry store itself"};
}

std::vector<std::string> Platform::withdrawFileTypes(const std::string&) { return {}; }

std::unique_ptr<InstanceChannel> Platform::instanceChannel(const std::string&) { return nullptr; }

std::optional<ConsoleInput> Platform::readConsoleInput(const std::string& prompt) {
    auto line = readConsoleLine(prompt);
    if (!line) return std::nullopt;
    return ConsoleInput{std::move(*line), false, std::string()};
}

}  // namespace kestrel
