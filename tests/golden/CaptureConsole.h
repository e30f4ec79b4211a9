#pragma once
// A console that keeps every line it is shown, as the console window would
// show it: `cls` empties it, a hidden console shows nothing.
#include <string>
#include <vector>

#include "services/ConsoleSink.h"

namespace kestrel::golden {

class CaptureConsole : public ConsoleSink {
public:
    std::vector<std::string> lines;

    bool visible() const override { return shown_; }
    void setVisible(bool visible) override { shown_ = visible; }
    void add(const std::string& text) override { lines.push_back(text); }
    void cls() override { lines.clear(); }
    // Never trimmed: a case's whole output is compared.
    std::size_t textLength() const override { return 0; }
    void keepLast(std::size_t) override {}

private:
    bool shown_ = true;
};

} // namespace kestrel::golden
