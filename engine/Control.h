#pragma once
// The script engine: its switches, the entry points through which text
// reaches the compiler, the line loop over script files, and the directive
// dispatch. Errors raised by the primitives are caught per statement,
// reported as "<file>:<line>: <message>" and counted for the exit status.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace kestrel {

class Registration;
class LineImages;
class Shared;
class SmartString;

class Control {
public:
    explicit Control(Shared& shared);
    ~Control();

    // Public switches.
    bool fEcho = false;
    bool fFullLog = false;
    bool fBlockComment = false;

    // Compiles the text at once as one code line.
    void pending(std::string text);
    const std::string& pending() const { return fPending; }
    std::string clear_pendng();

    void KaCode(std::string line);
    void KaScript();
    void kascriptraw(int32_t offset, int mode);
    void ProcessDirective(std::string line, const std::string& comment);

    // Errors reported so far (statements that failed, files that could not be
    // opened, unknown commands); the program's exit status derives from it.
    int errorCount() const { return errors_; }
    // Reports "<file>:<line>: <message>" as a diagnostic (the log and the
    // console's diagnostic channel) and counts it.
    void reportError(const std::string& message);
    // Reports "<file>:<line>: warning: <message>"; warnings are counted apart
    // and leave the exit status alone.
    void reportWarning(const std::string& message);
    int warningCount() const { return warnings_; }
    // The closing line of a run without its program name ("2 errors, 1
    // warning reported"); empty when nothing was reported.
    std::string summary() const;
    // True while a script file is being read line by line.
    bool runningFile() const { return runDepth_ > 0; }
    // Where lines come from while no script file is open ("<stdin>", line 3),
    // for the messages of reportError.
    void setInputSource(std::string name, int line) {
        inputName_ = std::move(name);
        inputLine_ = line;
    }

    // The file-type registration being collected (`register`, `regext`).
    Registration& registration() { return *registration_; }
    // Writes a registration that is still open (the end of a script or of
    // the command line); a failure is reported like a statement's error.
    void finishRegistration();
    // The images burned during the current top-level line.
    LineImages& lineImages() { return *lineImages_; }
    // The name to read an image by: its working copy while the current line
    // burns it, else the name itself.
    std::string imageForReading(const std::string& name);

    bool autoPop() const { return fAutoPop; }
    bool locked() const { return fLocked; }
    const std::string& codeset() const { return fCodeset; }
    const std::string& lastDirective() const { return fLastDirective; }

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

private:
    friend class EngineDirectives;
    friend class DefinitionDirectives;
    friend class Decompiler;
    friend class ImageDirectives;

    void kaRunFile();
    // KaCode on a line the caller owns; the line is trimmed in place.
    void codeLine(std::string& line);
    void runPiece(SmartString& piece, std::string& line);
    void runStatement(SmartString& piece, std::string& line);
    void compileText(const std::string& text);
    void compileCommand(const std::string& statement);
    void addToLineBuffer(const std::string& data, const std::string& pointers);
    void rawData(Call& call);
    void commitDefinition();
    // Opens a script for input and runs it at once; false when it could not be opened.
    bool runScript(std::string name);
    int lineNumber() const;
    // The end of a top-level line: its burned images are replaced (or, after
    // a failed burn, left as they were).
    void finishLine();

    // The tokenizers of one KaCode call, kept between lines so that their
    // strings keep their storage. KaCode runs nested (a script line may run a
    // script), so there is one frame per nesting depth.
    struct CodeFrame;
    CodeFrame& enterFrame();

    Shared& shared_;
    std::vector<std::unique_ptr<CodeFrame>> frames_;
    std::size_t depth_ = 0;
    std::unordered_map<std::string, Handler> directives_;
    std::unique_ptr<Registration> registration_;
    std::unique_ptr<LineImages> lineImages_;
    std::string fPending;
    std::string fLastDirective;
    bool fAutoPop = false;
    bool fLocked = false;
    std::string fCodeset;
    // "<file>:<line>" of the statement at hand, or the input source's name.
    std::string location() const;

    int errors_ = 0;
    int warnings_ = 0;
    int runDepth_ = 0;
    // The buffer the statements of the current code line go to.
    int lineBuffer_ = 0;
    std::string inputName_ = "<command line>";
    int inputLine_ = 0;
    // The last script the decompiler left in slot 16: rawdecode appends to it
    // as it is, while any other text there is a comment.
    std::string decompiled_;
};

} // namespace kestrel
