#include "engine/Decompiler.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <set>
#include <string_view>

#include "buffers/BlockMode.h"
#include "buffers/FileBuffer.h"
#include "buffers/Record.h"
#include "buffers/fOffsett.h"
#include "commands/CmdList.h"
#include "engine/ScriptText.h"
#include "engine/Shared.h"
#include "platform/Platform.h"
#include "services/FileHandle.h"
#include "services/FileStackGuard.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/ScriptWord.h"
#include "text/TextKit.h"

namespace kestrel {

namespace {

using textkit::replaceAll;

// Refuses a buffer set whose label or pointer names a script cannot hold:
// written into "#ORG" lines and command lines, such a name could end the line
// and plant a statement of its own, or read back as another name.
void checkNames(const FileBuffer& buffers) {
    for (int b = 0; b < FileBuffer::kDataBuffers; ++b) {
        if (buffers.buffer(b).empty()) continue;
        for (const auto& label : buffers.labels(b).items()) {
            const std::string why = ScriptWord::fault(label->name);
            if (!why.empty())
                throw FormatError("label name '" + label->name + "' of buffer " + std::to_string(b) + " " + why +
                                  "; it cannot be written in a script");
        }
    }
    // Pointer names take the place of pointer fields; an empty name leaves the field as it is.
    for (const auto& pointer : buffers.pointers().items()) {
        if (pointer->name.empty()) continue;
        const std::string why = ScriptWord::fault(pointer->name);
        if (!why.empty())
            throw FormatError("pointer name '" + pointer->name + "' " + why + "; it cannot be written in a script");
    }
}

// The start of a script that rawdecode appends to: a script the decompiler
// wrote stays as it is; anything else in slot 16 is a comment.
std::string scriptHead(const std::string& slot, const std::string& decompiled) {
    if (slot.empty()) return slot;
    if (slot == decompiled) return slot;
    return ScriptText::commentLines(slot);
}

// A whole number given as an argument: "&h" digits read unsigned (an image
// offset of 0x8000 is no negative number), anything else by strict
// conversion. False when the text is no whole number.
bool wholeNumber(const std::string& text, int64_t& value) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    const std::string_view word = std::string_view(text).substr(first, text.find_last_not_of(" \t") + 1 - first);
    if (word.size() > 2 && word[0] == '&' && (word[1] == 'h' || word[1] == 'H')) {
        const std::string_view digits = word.substr(2);
        uint64_t read = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), read, 16);
        if (end != digits.data() + digits.size()) return false;
        // Too many digits for 64 bits: an offset past any image all the same.
        value = error == std::errc::result_out_of_range ? INT64_MAX
                                                        : static_cast<int64_t>(std::min<uint64_t>(read, INT64_MAX));
        return true;
    }
    try {
        const double reading = numeric::strict(word);
        if (reading != std::floor(reading)) return false;
        value = reading >= 9e18 ? INT64_MAX : reading <= -9e18 ? INT64_MIN : static_cast<int64_t>(reading);
        return true;
    } catch (const TypeMismatchError&) {
        return false;
    } catch (const OverflowError&) {
        return false;
    }
}

// Where a block's bytes come from. A label's bytes are all its data, and its
// pointers were recorded when it was compiled or loaded: their names go into
// the text. An image block is a window onto the image: an end mark or a
// text's finish code ends it, and the pointers found in it are recorded for
// the walk to follow.
enum class BlockSource { label, image };

// Appends one block of bytes as script text, read by its mode. A label's
// script writes numbers as "0x"; an image block's lines keep their "&h".
void decompileBlock(EngineContext& engine, Shared& shared, std::string bytes, int mode, BlockSource source,
                    std::string& script) {
    FileHandle& files = *shared.gFiles;
    FileBuffer& buffers = *shared.gBuffers;
    const bool image = source == BlockSource::image;
    const char* const lineEnd = image ? "\r\n" : "";
    const std::optional<BlockMode> kind = blockModeOf(mode);
    if (kind == BlockMode::commands) {
        if (image) buffers.setInbuffer(0);
        std::string mask;
        shared.gCmds->decode(bytes, mask, image);
        if (image && engine.switches().fFullLog) files.echo("= [" + bytes + "]", false, 4);
        shared.gCmds->dealias(bytes, mask);
        if (!image) {
            if (engine.switches().fFullLog) files.echo("= [" + bytes + "]", false, 4);
            buffers.PointerPeek(bytes, mask);
        }
        files.echo("DEBUNKED: " + bytes, false, 4);
        if (image) buffers.pointerpoke(mask);
        replaceAll(bytes, "; ", "\r\n");
        if (!image) replaceAll(bytes, "&h", "0x");
        script += bytes + lineEnd;
    } else if (kind == BlockMode::text) {
        if (image) {
            buffers.setInbuffer(1);
            // A text ends with the code of its finish marker.
            const std::string finish = ScriptText::finishCode(*shared.gLetters);
            if (!finish.empty()) {
                const std::size_t end = bytes.find(finish);
                if (end != std::string::npos) bytes.resize(end + finish.size());
            }
        }
        script += "=" + ScriptText::text(*shared.gLetters, bytes) + lineEnd;
    } else if (kind == BlockMode::raw) {
        files.echo("RECORDS NOT IMPLIMENTED. Assumed RAW data");
        shared.gRecord->undraw(bytes, image);
        if (!image) replaceAll(bytes, "&h", "0x");
        script += bytes;
    }
}

}  // namespace

void Decompiler::KaScript(EngineContext& engine) {
    Shared& shared = engine.shared();
    FileHandle& files = *shared.gFiles;
    FileBuffer& buffers = *shared.gBuffers;
    checkNames(buffers);
    std::string script = ScriptText::commentLines(buffers.buffer(16));
    for (int b = 0; b <= 15; ++b) {
        if (buffers.buffer(b).empty()) continue;
        const int32_t labels = buffers.count(b);
        for (int32_t i = 1; i <= labels; ++i) {
            // One block that cannot be decompiled is reported; the others still are.
            try {
                std::string code = buffers.Get_Data(i, b);
                files.echo("READ OFFSETT " + std::to_string(i) + " : " + std::to_string(buffers.inoffsett()));
                files.echo("> [" + code + "]", false, 4);
                script += "\r\n#ORG " + buffers.inname() + " " + std::to_string(b) + "\r\n";
                decompileBlock(engine, shared, std::move(code), buffers.inmode(), BlockSource::label, script);
            } catch (const KestrelError& error) {
                engine.reportError("label " + std::to_string(i) + " of buffer " + std::to_string(b) +
                                   " cannot be decompiled: " + error.what());
            }
        }
    }
    engine.setDecompiledScript(script);
    buffers.setBuffer(16, script);
}

void Decompiler::kascriptraw(EngineContext& engine, int32_t offset, int mode) {
    Shared& shared = engine.shared();
    FileHandle& files = *shared.gFiles;
    FileBuffer& buffers = *shared.gBuffers;
    // The set's comment heads the script as "//" lines, as in KaScript, so
    // that the script compiles again.
    std::string script = scriptHead(buffers.buffer(16), engine.decompiledScript());
    std::set<int32_t> visited;
    const int32_t length = files.fLen();
    // The walk follows the pointers it finds itself, not those a compile
    // left in the set before it.
    int32_t k = buffers.count(16);
    while (offset != 0) {
        ++k;
        // Each block once: pointer cycles and pointers back to the start end here.
        if (visited.insert(offset).second) {
            try {
                if (offset < 0 || offset >= length) {
                    engine.reportError("offset 0x" + numeric::hexText(offset) + " lies outside the image (" +
                                       std::to_string(length) + " bytes)");
                } else {
                    files.SeekData(offset);
                    const int32_t size = std::min<int32_t>(1000, length - offset);
                    std::string block = files.getBlock(static_cast<std::size_t>(size));
                    files.echo("Pulling Offsett: " + buffers.inname());
                    script += "\r\n#ORG 0x" + numeric::hexText(offset) + "\r\n";
                    decompileBlock(engine, shared, std::move(block), mode, BlockSource::image, script);
                }
            } catch (const KestrelError& error) {
                engine.reportError("block at 0x" + numeric::hexText(offset) + " cannot be decompiled: " + error.what());
            }
        }
        buffers.get_Point(k, 16);
        mode = buffers.inmode();
        offset = buffers.inoffsett();
    }
    engine.setDecompiledScript(script);
    buffers.setBuffer(16, script);
}

void Decompiler::install(EngineContext& engine, EngineContext::DirectiveTable& table) {
    Shared& shared = engine.shared();
    auto files = [&shared]() -> FileHandle& { return *shared.gFiles; };
    auto buffers = [&shared]() -> FileBuffer& { return *shared.gBuffers; };

    // Writes slot 16 as a script file next to the current file name.
    auto dropScript = [&engine, files, buffers]() {
        std::string out = files().filename(NamePart::fullpath);
        FileStackGuard opened(files().stack());
        if (!files().OpenFile(out, FileHandle::OpenMode::output, true)) {
            engine.reportError("'" + out + "' exists and was not replaced (answer Yes or use --yes)");
            return;
        }
        files().echo("DROPPING SCRIPT");
        files().putText(FileHandle::DataKind::line, buffers().buffer(16));
    };
    auto autoPop = [&engine, &shared, files]() {
        if (!engine.switches().fAutoPop) return;
        const std::string note = shared.platform.openTextEditor(files().filename(NamePart::fullpath));
        if (!note.empty()) files().echo(note);
    };

    table["decode"] = [&engine, files, buffers, dropScript, autoPop](EngineContext::Call& call) {
        if (call.count() != 1) return;
        std::string name = call.arg(1);
        FileStackGuard opened(files().stack());
        if (files().OpenFile(name, FileHandle::OpenMode::read)) {
            files().setFilename(NamePart::fullpath, name);
            // A file that is refused leaves no script behind, and no file open.
            buffers().readbuffer("");
            opened.closeAll();
            KaScript(engine);
            files().setFilename(NamePart::extension, "ksc");
            dropScript();
        } else {
            engine.reportError("cannot open buffer file '" + call.arg(1) + "'");
        }
        autoPop();
    };

    table["rawdecode"] = [&engine, &shared, files, dropScript, autoPop](EngineContext::Call& call) {
        if (call.count() < 1) return;
        std::string offsetText = call.arg(2);
        std::string modeText = call.arg(3);
        if (call.count() < 2)
            offsetText = shared.platform.inputBox("Please Enter Offsett:", "Insufficient Data").value_or("");
        if (call.count() < 3)
            modeText = shared.platform.inputBox("Please Enter mode:", "Insufficient Data").value_or("");
        auto hexForm = [](std::string text) {
            replaceAll(text, "0x", "&h");
            return text;
        };
        // Arguments that name no block write no script.
        int64_t offset = 0;
        int64_t mode = 0;
        if (!wholeNumber(hexForm(offsetText), offset)) {
            engine.reportError("rawdecode: offset '" + offsetText + "' is not a number");
            return;
        }
        if (offset < 0) {
            engine.reportError("rawdecode: offset " + std::to_string(offset) + " is negative");
            return;
        }
        if (!wholeNumber(hexForm(modeText), mode) || mode < -32768 || mode > 32767) {
            engine.reportError("rawdecode: mode '" + modeText + "' is not a number");
            return;
        }
        // While this line burns the image, its working copy holds the bytes;
        // the script is still named after the image.
        const std::string copy = engine.imageForReading(call.arg(1));
        const bool burning = copy != call.arg(1);
        std::string name = copy;
        FileStackGuard opened(files().stack());
        if (!files().OpenFile(name, FileHandle::OpenMode::read)) {
            engine.reportError("cannot open image '" + call.arg(1) + "'");
            return;
        }
        if (const int32_t length = files().fLen(); offset >= length) {
            opened.closeAll();
            engine.reportError("rawdecode: offset 0x" + textkit::upperHex(static_cast<uint64_t>(offset)) +
                               " lies outside the image (" + std::to_string(length) + " bytes)");
            return;
        }
        files().setFilename(NamePart::fullpath, burning ? shared.platform.resolveExisting(call.arg(1)) : name);
        kascriptraw(engine, static_cast<int32_t>(offset), static_cast<int>(mode));
        opened.closeAll();
        files().setFilename(NamePart::name,
                            files().filename(NamePart::name) + numeric::hexText(static_cast<double>(offset)));
        files().setFilename(NamePart::extension, "ksc");
        dropScript();
        autoPop();
    };

    table["kascript"] = [&engine](EngineContext::Call&) { KaScript(engine); };
}

}  // namespace kestrel
