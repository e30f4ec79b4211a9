#include "engine/Shared.h"

#include "buffers/FileBuffer.h"
#include "buffers/Record.h"
#include "commands/CmdList.h"
#include "engine/Control.h"
#include "platform/Platform.h"
#include "services/FileHandle.h"
#include "text/KestrelError.h"

namespace kestrel {

namespace {

template <class Interface>
WrenPtr<Interface> createWren(Platform& platform, const char* classId) {
    wren::WrenObject* object = platform.createCodecObject(classId);
    if (object == nullptr) throw KestrelError(std::string("the text codec library cannot create class ") + classId);
    // The factory hands out the class that the identifier names.
    return WrenPtr<Interface>(static_cast<Interface*>(object));
}

}  // namespace

WrenPtr<wren::IHandleLetters> Shared::createLetters() {
    return createWren<wren::IHandleLetters>(platform, wren::kHandleLettersClsid);
}

WrenPtr<wren::IHandleWords> Shared::createWords() {
    return createWren<wren::IHandleWords>(platform, wren::kHandleWordsClsid);
}

Shared::Shared(Platform& host, ConsoleSink* console, const std::string& programName)
    : platform(host), gConsole(console) {
    gFiles = std::make_unique<FileHandle>(platform, programName);
    gLetters = createLetters();
    gWords = createWords();
    gCmds = std::make_unique<CmdList>(gFiles->log(), autobank);
    gRecord = std::make_unique<Record>(gFiles->log(), autobank);
    gBuffers = std::make_unique<FileBuffer>(*gFiles, autobank);
    gEngine = std::make_unique<Control>(*this);
    gFiles->setConsole(console);
}

Shared::~Shared() {
    gEngine.reset();
    gBuffers.reset();
    gRecord.reset();
    gCmds.reset();
    gWords.reset();
    gLetters.reset();
    gFiles.reset();
}

void Shared::replaceCodeset(bool withBuffers) {
    if (withBuffers) gBuffers = std::make_unique<FileBuffer>(*gFiles, autobank);
    gLetters = createLetters();
    gWords = createWords();
    gCmds = std::make_unique<CmdList>(gFiles->log(), autobank);
    gRecord = std::make_unique<Record>(gFiles->log(), autobank);
}

void Shared::replaceBuffers() { gBuffers = std::make_unique<FileBuffer>(*gFiles, autobank); }

void Shared::ShowCritical(const std::string& text) { gFiles->critical(text); }

void Shared::ShowNotice(const std::string& text) { platform.notice(text); }

}  // namespace kestrel
