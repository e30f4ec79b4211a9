#pragma once
// Text that the decompiler writes into scripts, made so that compiling the
// script gives back exactly what was decompiled and nothing else: the set's
// comment as "//" lines and the texts of text blocks as "=" lines. Comments
// and texts come from buffer files and images, so they may hold anything,
// line breaks included, and a line break would let the rest compile as a
// statement of its own.
#include <string>

namespace wren {
class IHandleLetters;
}

namespace kestrel {

class ScriptText {
public:
    // The comment as "//" lines joined by CR LF: one line per line of the
    // comment (CR LF, LF and a lone CR all end one; a break at the very end
    // leaves a blank line), other control bytes written "\xNN". Compiling
    // the lines gives the comment back with every line ended by CR LF.
    static std::string commentLines(const std::string& comment);

    // The text of a text block for an "=" line, without the "=". The
    // block's bytes, without one trailing finish code (compiling the line
    // appends it again), are decoded; bytes whose text a line cannot hold
    // (control bytes, ";", a leading "=", blanks that the tokenizer would
    // drop) or that would not encode back to themselves are written in the
    // codec's hex form. FormatError when such a byte has to be written and
    // the codeset defines no hex form.
    static std::string text(wren::IHandleLetters& letters, const std::string& bytes);

    // The finish code of the codec's tables ("" without a finish marker).
    static std::string finishCode(wren::IHandleLetters& letters);
};

}  // namespace kestrel
