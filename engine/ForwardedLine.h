#pragma once
// The two ends of handing a command line to a running instance, without the
// window system: the command line taken from the process's whole command
// line, and the check of a received copy-data record before it is trusted.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kestrel {

class ForwardedLine {
public:
    // The record's tag for a forwarded command line.
    static constexpr std::uintptr_t kTag = 0;
    // The largest record accepted, in bytes (32767 UTF-16 characters, the
    // longest command line the system passes).
    static constexpr std::size_t kMaxBytes = 32767 * 2;

    // The command line after the program name, whole and with its quotes:
    // the program name ends at the closing quote when it starts with one,
    // else at the first space or tab; the blanks after it are skipped.
    static std::string commandLineTail(const std::string& commandLine);

    // The UTF-16 text of a received record (tag, size in bytes, data), or
    // nullopt when the record is not a forwarded line: another tag, an odd
    // or empty size, more than kMaxBytes, no data, or a NUL inside.
    static std::optional<std::u16string> fromRecord(std::uintptr_t tag, std::size_t size, const void* data);
};

}  // namespace kestrel
