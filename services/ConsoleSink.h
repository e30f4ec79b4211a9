#pragma once
// The window that echoed text is shown in (the console of kestrel). The log
// only needs these few operations of it.
#include <cstddef>
#include <string>

namespace kestrel {

class ConsoleSink {
public:
    virtual ~ConsoleSink() = default;
    virtual bool visible() const = 0;
    // Append one line (the bare text, no bars or indent).
    virtual void add(const std::string& text) = 0;
    // Empty the output box.
    virtual void cls() = 0;
    // Length of the text the box holds, and trimming to the last `keep` characters.
    virtual std::size_t textLength() const = 0;
    virtual void keepLast(std::size_t keep) = 0;
    // Shown or hidden (the `silent` directive); a hidden console shows nothing.
    virtual void setVisible(bool) {}
    // A diagnostic line. A console with a channel of its own for them (a
    // program's standard error) shows it there even while hidden; one
    // without shows it like any other line.
    virtual void diagnostic(const std::string& text) {
        if (visible()) add(text);
    }
};

}  // namespace kestrel
