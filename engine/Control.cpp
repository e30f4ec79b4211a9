#include "engine/Control.h"

#include "buffers/BlockMode.h"
#include "buffers/FileBuffer.h"
#include "buffers/Record.h"
#include "commands/CmdList.h"
#include "engine/Decompiler.h"
#include "engine/DefinitionDirectives.h"
#include "engine/EngineDirectives.h"
#include "engine/ImageDirectives.h"
#include "engine/LineImages.h"
#include "engine/Registration.h"
#include "engine/Shared.h"
#include "platform/Platform.h"
#include "services/FileHandle.h"
#include "services/ImageWorkingCopy.h"
#include "text/KestrelError.h"
#include "text/SmartNum.h"
#include "text/SmartString.h"
#include "text/TextKit.h"

namespace kestrel {

Control::Control(Shared& shared)
    : shared_(shared),
      registration_(std::make_unique<Registration>(shared)),
      lineImages_(std::make_unique<LineImages>(shared.platform)) {
    EngineDirectives::install(*this, directives_);
    DefinitionDirectives::install(*this, directives_);
    Decompiler::install(*this, directives_);
    ImageDirectives::install(*this, directives_);
}

Control::~Control() = default;

void Control::pending(std::string text) { KaCode(std::move(text)); }

std::string Control::clear_pendng() {
    std::string text = std::move(fPending);
    fPending.clear();
    return text;
}

int Control::lineNumber() const { return shared_.gFiles->lineno(); }

std::string Control::location() const {
    const std::string file = shared_.gFiles->currentFileName();
    if (!file.empty()) return file + ":" + std::to_string(lineNumber());
    if (inputLine_ > 0) return inputName_ + ":" + std::to_string(inputLine_);
    return inputName_;
}

void Control::reportError(const std::string& message) {
    ++errors_;
    diagnose(location() + ": " + message);
}

void Control::reportWarning(const std::string& message) {
    ++warnings_;
    diagnose(location() + ": warning: " + message);
}

void Control::diagnose(const std::string& line) {
    FileHandle& files = *shared_.gFiles;
    std::vector<std::string> trail = files.includers();
    for (std::string& place : trail) place.insert(0, "  included from ");
    files.diagnostic(line, trail);
}

std::string Control::summary() const {
    auto counted = [](int n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); };
    if (errors_ > 0 && warnings_ > 0)
        return counted(errors_, "error") + ", " + counted(warnings_, "warning") + " reported";
    if (errors_ > 0) return counted(errors_, "error") + " reported";
    if (warnings_ > 0) return counted(warnings_, "warning") + " reported";
    return {};
}

// The line loop: reads the file on top of the stack until the stack is back
// at the log, following includes as they are pushed.
void Control::kaRunFile() {
    FileHandle& files = *shared_.gFiles;
    ++runDepth_;
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{runDepth_};
    // One line buffer for the whole file: its storage is reused.
    std::string line;
    while (files.fileno() > 1) {
        if (files.ENDOF()) {
            files.closefile();
            continue;
        }
        files.getLine(line);
        if (!line.empty()) codeLine(line);
    }
    if (!fPending.empty()) pending(clear_pendng());
    finishRegistration();
}

void Control::finishRegistration() {
    if (fLastDirective != "register") return;
    fLastDirective.clear();
    try {
        registration_->write();
    } catch (const std::exception& error) {
        reportError(error.what());
    }
}

bool Control::runScript(std::string name) {
    FileHandle& files = *shared_.gFiles;
    if (!files.OpenFile(name, FileHandle::OpenMode::script)) return false;
    kaRunFile();
    return true;
}

struct Control::CodeFrame {
    SmartString pieces;
    SmartString piece;
    std::string next;
};

Control::CodeFrame& Control::enterFrame() {
    if (depth_ == frames_.size()) frames_.push_back(std::make_unique<CodeFrame>());
    return *frames_[depth_++];
}

namespace {

// A reused tokenizer classifies a text as a fresh one would. kaTrim leaves a
// text that scrubs to nothing alone, so that case is cleared by hand.
void trimFresh(SmartString& words, std::string& text) {
    words.vDirective.clear();
    words.vComment.clear();
    words.setCount(0);
    words.kaTrim(text);
    if (text.empty() && words.vDirective.empty()) words.setValues(0, std::string());
}

// Leaves a nesting depth however the line ends.
struct DepthGuard {
    std::size_t& depth;
    ~DepthGuard() { --depth; }
};

// A top-level line left by an exception (a critical error, `exit`) changes
// no image; a line that ends normally has already finished its images.
struct LineGuard {
    LineImages* images;
    ~LineGuard() {
        if (images) images->abandon();
    }
};

}  // namespace

void Control::KaCode(std::string line) { codeLine(line); }

void Control::codeLine(std::string& line) {
    const bool topLevel = depth_ == 0;
    CodeFrame& frame = enterFrame();
    DepthGuard leave{depth_};
    LineGuard images{topLevel ? lineImages_.get() : nullptr};
    SmartString& pieces = frame.pieces;
    if (!fBlockComment) {
        trimFresh(pieces, line);
        // Splitting at ";" changes nothing of a statement without ";" and
        // without a hexadecimal prefix to rewrite: the common line skips it.
        const std::string& statement = pieces.values(0);
        if (statement.find_first_of(";#") != std::string::npos || statement.find("0x") != std::string::npos)
            pieces.kaSplit(statement, ";");
        else
            pieces.setCount(0);
        const bool textPiece = !pieces.vComment.empty() && pieces.vComment[0] == '=';
        // The tokenizer holds sixteen pieces: the last would take the rest of
        // a longer line as one statement. Such a line is not compiled at all.
        const int last = SmartString::kSlots - 1;
        if (pieces.count() == last && (textPiece || pieces.values(last).find(';') != std::string::npos)) {
            reportError("more than 16 statements on one line; the line is not compiled");
            return;
        }
        if (textPiece) {
            pieces.setCount(pieces.count() + 1);
            pieces.setValues(pieces.count(), pieces.vComment);
        }
    } else {
        pieces.setCount(0);
    }
    lineBuffer_ = shared_.gBuffers->inbuffer();
    // The first piece was trimmed with the whole line; later ones are trimmed
    // on their own so that each has its own prefix and comment.
    const int count = pieces.count();
    try {
        runPiece(pieces, line);
        for (int i = 1; i <= count; ++i) {
            frame.next = pieces.values(i);
            trimFresh(frame.piece, frame.next);
            runPiece(frame.piece, line);
        }
    } catch (const ProgramExit& exit) {
        // `exit` ends the line as its end would, burns included; after a
        // critical error (status 2) every image keeps its old bytes.
        if (topLevel && exit.status != 2) {
            const int before = errors_;
            finishLine();
            if (errors_ > before && exit.status == 0) throw ProgramExit{1};
        }
        throw;
    }
    // Every code line returns to the home buffer. A statement may have
    // replaced the buffer set (`boot`, `kableewy`): fetch it now.
    FileBuffer& buffers = *shared_.gBuffers;
    const uint8_t home = buffers.lastbuffer;
    buffers.setInbuffer(home);
    buffers.lastbuffer = home;
    if (topLevel) finishLine();
}

void Control::finishLine() {
    if (lineImages_->empty()) return;
    const LineImages::Outcome outcome = lineImages_->finish();
    for (const std::string& image : outcome.kept)
        shared_.gFiles->echo("'" + image + "' left unchanged: a burn of this line failed");
    for (const std::string& problem : outcome.problems) reportError(problem);
}

std::string Control::imageForReading(const std::string& name) {
    if (lineImages_->empty()) return name;
    const std::string existing = shared_.platform.resolveExisting(name);
    if (existing.empty()) return name;
    const std::string copy = lineImages_->workingCopyOf(existing);
    return copy.empty() ? name : copy;
}

void Control::runPiece(SmartString& piece, std::string& line) {
    try {
        runStatement(piece, line);
    } catch (const CriticalError& error) {
        shared_.gFiles->critical(error.what());
    } catch (const std::exception& error) {
        // ProgramExit is no std::exception: `exit` and critical errors pass.
        reportError(error.what());
    }
}

void Control::runStatement(SmartString& piece, std::string& line) {
    FileHandle& files = *shared_.gFiles;
    if (fBlockComment) {
        std::size_t end = line.find_last_not_of(" \t\r\n");
        if (end != std::string::npos && line[end] == '/')
            fBlockComment = false;
        else if (switches_.fFullLog)
            files.echo("'" + line);
        return;
    }
    const std::string& prefix = piece.vDirective;
    const char kind = prefix.empty() ? '\0' : prefix[0];
    switch (kind) {
    case '/':
        if (!piece.vComment.empty() && piece.vComment[0] == '/') {
            line = piece.vComment.substr(1);
            shared_.gBuffers->appendBuffer(16, line + "\r\n");
            files.echo(line);
        } else {
            fBlockComment = true;
            if (switches_.fFullLog) files.echo(line + "/");
        }
        return;
    case '\'':
        // Echoes the text after the mark; an empty comment echoes one space.
        if (switches_.fEcho) files.echo(piece.vComment.empty() ? std::string(" ") : piece.vComment);
        return;
    case '=': compileText(piece.vComment); return;
    case '$': ProcessDirective("inline $" + piece.values(0), piece.vComment); return;
    case '#': ProcessDirective(piece.values(0), piece.vComment); return;
    case '!': return;
    default:
        if (switches_.fLocked)
            ProcessDirective(piece.values(0), piece.vComment);
        else if (!piece.values(0).empty())
            compileCommand(piece.values(0));
        return;
    }
}

void Control::compileText(const std::string& text) {
    FileHandle& files = *shared_.gFiles;
    FileBuffer& buffers = *shared_.gBuffers;
    wren::IHandleLetters& letters = *shared_.gLetters;
    std::string data = letters.encode(text);
    files.echo(std::to_string(lineNumber()) + ": Encoding text: " + text);
    if (letters.bError() != 0) {
        std::string log = letters.sLog();
        letters.setBError(0);
        letters.setSLog("");
        reportError(log.empty() ? "text cannot be encoded" : log);
    }
    if (switches_.fFullLog) {
        files.echo("CODE: " + data, false, 8);
        files.echo("- Into buffer " + std::to_string(lineBuffer_), false, 8);
    }
    buffers.setInmode(modeCode(BlockMode::text));
    addToLineBuffer(data, "");
}

void Control::compileCommand(const std::string& statement) {
    FileHandle& files = *shared_.gFiles;
    FileBuffer& buffers = *shared_.gBuffers;
    uint8_t column = 0;
    std::string script = shared_.gWords->define(statement, column);
    std::string pointers;
    if (!shared_.gCmds->encode(script, pointers, lineNumber())) {
        // The database logged "Invalid Command : ..."; nothing is compiled.
        std::string first = statement.substr(0, statement.find(' '));
        reportError("unknown command '" + first + "'");
        return;
    }
    for (const std::string& warning : shared_.gCmds->warnings()) reportWarning(warning);
    if (switches_.fFullLog) files.echo("attached: \"" + script + "\" into " + std::to_string(lineBuffer_), false, 4);
    buffers.setInmode(modeCode(BlockMode::commands));
    addToLineBuffer(script, pointers);
}

// add_Data leaves a fresh record for buffer 0 behind; every statement of a
// line still belongs to the line's buffer.
void Control::addToLineBuffer(const std::string& data, const std::string& pointers) {
    FileBuffer& buffers = *shared_.gBuffers;
    buffers.currentRecord()->buffer = static_cast<uint8_t>(lineBuffer_);
    buffers.add_Data(data, pointers);
    buffers.currentRecord()->buffer = static_cast<uint8_t>(lineBuffer_);
}

void Control::commitDefinition() {
    FileHandle& files = *shared_.gFiles;
    CmdList& cmds = *shared_.gCmds;
    tCmd& cmd = cmds.newcmd();
    if (switches_.fFullLog) {
        if (cmd.alias)
            files.echo("Add Alias: " + cmd.keyword + " - " + cmd.Descriptions);
        else
            files.echo("Add Command: " + cmd.keyword + " [" + std::to_string(cmd.bytecode) + "]");
        files.echo("With " + std::to_string(cmd.parmcnt) + " Paramaters.", false, 4);
    }
    fLastDirective.clear();
    cmds.add();
}

void Control::ProcessDirective(std::string line, const std::string& comment) {
    FileHandle& files = *shared_.gFiles;
    files.ShrinkName(line);
    SmartString words;
    words.kaSplit(line, " ");
    const std::string keyword = textkit::lower(words.values(0));
    if ((fLastDirective == "alias" || fLastDirective == "addcmmd") && keyword != "addparm") commitDefinition();
    if (fLastDirective == "register" && keyword != "regext") finishRegistration();
    Call call{words, line, comment};
    auto handler = directives_.find(keyword);
    if (handler != directives_.end())
        handler->second(call);
    else
        rawData(call);
}

namespace {

// One raw word as bytes: hexadecimal words ("&h" or bare digits in the first
// word) fill as many bytes as their digits need, decimal words one byte.
std::string rawWord(std::string word, bool hexadecimal) {
    if (word.size() >= 2 && word[0] == '&' && (word[1] == 'h' || word[1] == 'H')) {
        word = word.substr(2);
        hexadecimal = true;
    }
    if (!hexadecimal) return SmartNum::numberpush(word, 0);
    if (!textkit::isHexText(word)) throw TypeMismatchError("'" + word + "' is not hexadecimal raw data");
    int code = word.size() <= 2 ? 0 : word.size() <= 4 ? -1 : word.size() <= 8 ? -2 : 1;
    if (code == 1) throw OverflowError("raw word '" + word + "' is longer than 8 digits");
    return SmartNum::numberpush("&h" + word, code);
}

}  // namespace

void Control::rawData(Call& call) {
    FileHandle& files = *shared_.gFiles;
    FileBuffer& buffers = *shared_.gBuffers;
    const std::string& keyword = call.arg(0);
    const unsigned char first = keyword.empty() ? 0 : static_cast<unsigned char>(keyword[0]);
    if (first > 64 && !textkit::isHexText(keyword)) {
        files.echo(std::to_string(lineNumber()) + ": RAW DATA - " + call.line);
        std::string data = call.line;
        std::string extra;
        shared_.gRecord->Draw(data, extra);
        const std::string kind = textkit::lower(keyword);
        if (kind != "move" && kind != "binary" && kind != "raw") {
            // The record encoder logged "not implimented"; the directive's own text is no data.
            reportError("unknown directive '" + keyword + "'");
            return;
        }
        buffers.setInmode(modeCode(BlockMode::raw));
        if (!data.empty()) addToLineBuffer(data, extra);
        return;
    }
    files.echo("Raw Data: " + call.line);
    std::string data;
    for (int i = 0; i <= call.count(); ++i) {
        const std::string& word = call.arg(i);
        if (word.empty()) continue;
        data += rawWord(word, i == 0);
    }
    buffers.setInmode(modeCode(BlockMode::raw));
    addToLineBuffer(data, "");
}

}  // namespace kestrel

namespace kestrel {

void Control::KaScript() { Decompiler::KaScript(*this); }

void Control::kascriptraw(int32_t offset, int mode) { Decompiler::kascriptraw(*this, offset, mode); }

}  // namespace kestrel
