#pragma once
// Record data: a short textual description of raw data ("move", "binary",
// "raw" lines) turned into bytes, and raw bytes turned back into "#move "
// lines. Keeps no state between calls.
#include <string>

namespace kestrel {

class Autobank;
class Log;

class Record {
public:
    Record(Log& log, const Autobank& autobank);

    // Replaces `text` by its bytes and sets `list` to the pointer list. A text
    // of another kind is logged and left unchanged, with an empty list.
    void Draw(std::string& text, std::string& list);
    // The same, leaving `line` as it is and giving its bytes in `data`.
    void Draw(const std::string& line, std::string& data, std::string& list);
    // Replaces raw bytes (at most 256) by "#move " lines of six values each;
    // with `stopAtFF` the first 0xFF byte is the last one converted.
    void undraw(std::string& data, bool stopAtFF);

private:
    Log& log_;
    const Autobank& autobank_;
};

}  // namespace kestrel
