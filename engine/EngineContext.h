#pragma once
// What the directive classes may do to the engine that runs them: run a
// script, report an error, read and set the switches, steer the line's
// buffer, and reach the program's shared objects. The engine's own state
// (its tokenizer frames, the dispatch table, the error counts) stays behind
// this interface, so a directive cannot leave the engine half-changed.
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

namespace kestrel {

class LineImages;
class Registration;
class Shared;
class SmartString;

class EngineContext {
public:
    // One directive call: its words (values(0) is the keyword), the whole
    // line and the comment that the tokenizer split off it.
    struct Call {
        SmartString& words;
        const std::string& line;
        const std::string& comment;
        int count() const;
        const std::string& arg(int index) const;
    };
    using Handler = std::function<void(Call&)>;
    using DirectiveTable = std::unordered_map<std::string, Handler>;

    // The switches that directives set and the engine reads; each keeps its
    // value until its directive changes it.
    struct Switches {
        bool fEcho = false;     // `f.echo`: "'" comment lines are echoed
        bool fFullLog = false;  // `fulllog`: the detail lines of compiling and decompiling
        bool fAutoPop = false;  // `autopop`: a written script opens in the text editor
        bool fLocked = false;   // `lock`: plain lines run as directives
    };

    virtual ~EngineContext() = default;

    virtual Shared& shared() = 0;
    virtual Switches& switches() = 0;

    // Opens `name` for input and runs it to its end (with every file it
    // includes); false when it could not be opened.
    virtual bool runScript(std::string name) = 0;
    // Runs the line loop over the files open on the file stack until the
    // stack is back at the log.
    virtual void runOpenFiles() = 0;
    // True while a script file is being read line by line.
    virtual bool runningFile() const = 0;
    // The current file's line counter, for log lines.
    virtual int lineNumber() const = 0;

    // Reports "<file>:<line>: <message>" and counts it for the exit status.
    virtual void reportError(const std::string& message) = 0;
    virtual int errorCount() const = 0;

    // The buffer the remaining statements of the current code line go to.
    virtual void setLineBuffer(uint8_t buffer) = 0;

    // The codeset folder loaded last (`boot` skips loading it again).
    virtual const std::string& codeset() const = 0;
    virtual void setCodeset(const std::string& folder) = 0;
    // The directive whose work the next directive may finish ("addcmmd" and
    // "alias" leave a definition open, "register" a registration).
    virtual const std::string& lastDirective() const = 0;
    virtual void setLastDirective(const std::string& keyword) = 0;

    // The file-type registration being collected (`register`, `regext`).
    virtual Registration& registration() = 0;
    // The images burned during the current top-level line.
    virtual LineImages& lineImages() = 0;
    // The name to read an image by: its working copy while the current line
    // burns it, else the name itself.
    virtual std::string imageForReading(const std::string& name) = 0;

    // The last script the decompiler left in slot 16: rawdecode appends to
    // it as it is, while any other text there is a comment.
    virtual const std::string& decompiledScript() const = 0;
    virtual void setDecompiledScript(const std::string& script) = 0;
};

}  // namespace kestrel
