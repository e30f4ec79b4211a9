#pragma once
// A console that keeps every line it is shown, as the console window would
// show it: `cls` empties it, a hidden console shows nothing.
#include <initializer_list>
#include <string>
#include <vector>

#include "services/ConsoleSink.h"

namespace kestrel::test {

class RecordingConsole : public ConsoleSink {
public:
    std::vector<std::string> lines;
    std::vector<std::string> diagnostics;  // also shown as lines while visible

    bool visible() const override { return shown_; }
    void setVisible(bool visible) override { shown_ = visible; }
    void add(const std::string& text) override { lines.push_back(text); }
    void cls() override { lines.clear(); }
    void diagnostic(const std::string& text) override {
        diagnostics.push_back(text);
        ConsoleSink::diagnostic(text);
    }
    // Never trimmed: tests compare the whole output.
    std::size_t textLength() const override { return 0; }
    void keepLast(std::size_t) override {}

private:
    bool shown_ = true;
};

// A byte string from byte values.
inline std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out.push_back(static_cast<char>(v));
    return out;
}

}  // namespace kestrel::test
