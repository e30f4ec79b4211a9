#pragma once
// The script engine: its switches, the entry points through which text
// reaches the compiler, the line loop over script files, and the directive
// dispatch. Errors raised by the primitives are caught per statement,
// reported as "<file>:<line>: <message>" and counted for the exit status.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/EngineContext.h"

namespace kestrel {

class Registration;
class LineImages;
class Shared;
class SmartString;

class Control : public EngineContext {
public:
    explicit Control(Shared& shared);
    ~Control() override;

    using Call = EngineContext::Call;
    using Handler = EngineContext::Handler;

    // Inside a "/" block comment: every line up to one that ends in "/" is swallowed.
    bool fBlockComment = false;
    Switches& switches() override { return switches_; }

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
    int errorCount() const override { return errors_; }
    // Reports "<file>:<line>: <message>" as a diagnostic (the log and the
    // console's diagnostic channel) and counts it. In an included file the
    // console also gets the files that included it, innermost first.
    void reportError(const std::string& message) override;
    // Reports "<file>:<line>: warning: <message>"; warnings are counted apart
    // and leave the exit status alone.
    void reportWarning(const std::string& message);
    int warningCount() const { return warnings_; }
    // The closing line of a run without its program name ("2 errors, 1
    // warning reported"); empty when nothing was reported.
    std::string summary() const;
    bool runningFile() const override { return runDepth_ > 0; }
    // Where lines come from while no script file is open ("<stdin>", line 3),
    // for the messages of reportError.
    void setInputSource(std::string name, int line) {
        inputName_ = std::move(name);
        inputLine_ = line;
    }

    Registration& registration() override { return *registration_; }
    // Writes a registration that is still open (the end of a script or of
    // the command line); a failure is reported like a statement's error.
    void finishRegistration();
    LineImages& lineImages() override { return *lineImages_; }
    std::string imageForReading(const std::string& name) override;

    bool autoPop() const { return switches_.fAutoPop; }
    bool locked() const { return switches_.fLocked; }
    const std::string& codeset() const override { return fCodeset; }
    const std::string& lastDirective() const override { return fLastDirective; }

private:
    // What only the directive classes reach, through EngineContext.
    Shared& shared() override { return shared_; }
    bool runScript(std::string name) override;
    void runOpenFiles() override { kaRunFile(); }
    int lineNumber() const override;
    void setLineBuffer(uint8_t buffer) override { lineBuffer_ = buffer; }
    void setCodeset(const std::string& folder) override { fCodeset = folder; }
    void setLastDirective(const std::string& keyword) override { fLastDirective = keyword; }
    const std::string& decompiledScript() const override { return decompiled_; }
    void setDecompiledScript(const std::string& script) override { decompiled_ = script; }

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
    // The end of a top-level line: its burned images are replaced (or, after
    // a failed burn, left as they were).
    void finishLine();

    // The tokenizers of one KaCode call, kept between lines so that their
    // strings keep their storage. KaCode runs nested (a script line may run a
    // script), so there is one frame per nesting depth.
    struct CodeFrame;
    CodeFrame& enterFrame();

    Shared& shared_;
    Switches switches_;
    std::vector<std::unique_ptr<CodeFrame>> frames_;
    std::size_t depth_ = 0;
    DirectiveTable directives_;
    std::unique_ptr<Registration> registration_;
    std::unique_ptr<LineImages> lineImages_;
    std::string fPending;
    std::string fLastDirective;
    std::string fCodeset;
    // "<file>:<line>" of the statement at hand, or the input source's name.
    std::string location() const;
    // A diagnostic line, followed on the console by the include trail of the
    // current script ("  included from main.ksc:12", innermost first).
    void diagnose(const std::string& line);

    int errors_ = 0;
    int warnings_ = 0;
    int runDepth_ = 0;
    // The buffer the statements of the current code line go to.
    int lineBuffer_ = 0;
    std::string inputName_ = "<command line>";
    int inputLine_ = 0;
    std::string decompiled_;
};

}  // namespace kestrel
