#pragma once
// The arithmetic of the console window's text box, kept apart from any
// window system so that it can be tested everywhere.
#include <cstddef>
#include <string>

namespace kestrel {

class ConsoleText {
public:
    // The line that Enter runs: the line of `text` that holds the caret
    // (`caret` characters lie before it). A line that is not the last keeps
    // its closing CR LF; the last line has none. "" for an empty text.
    static std::string enterLine(const std::string& text, std::size_t caret);

    // The one tab stop set on every resize, in dialog template units: twice
    // the client width counted in characters of 120 twips, the count
    // rounded to the nearest integer with halves going to the even one.
    static int tabStop(long clientWidthTwips);

    // The text shown in the window for bytes of the log: NUL as a space and
    // a CR or LF that is not part of a CR LF pair as CR LF, so the edit box
    // neither cuts the text nor runs lines together. The log keeps the bytes.
    static std::string forDisplay(const std::string& text);
};

}  // namespace kestrel
