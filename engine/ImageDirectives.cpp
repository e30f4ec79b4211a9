#include "engine/ImageDirectives.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

#include "buffers/BurnPlan.h"
#include "buffers/FileBuffer.h"
#include "engine/LineImages.h"
#include "engine/Shared.h"
#include "platform/Platform.h"
#include "services/FileHandle.h"
#include "services/FileStackGuard.h"
#include "services/ImageWorkingCopy.h"
#include "text/KestrelError.h"

namespace kestrel {

namespace {

// Writes the planned burn into the image open on top of the file stack.
// Everything is planned and checked before the first byte is written, so a
// refused burn leaves the working copy as it was.
void burnInto(EngineContext& engine, Shared& shared, const std::string& image) {
    FileHandle& files = *shared.gFiles;
    FileBuffer& buffers = *shared.gBuffers;
    const BurnPlan plan = buffers.planBurn();
    if (plan.hasHardProblems()) throw BurnError("nothing burned into '" + image + "': " + plan.describeProblems());
    const int64_t size = files.fLen();
    if (plan.end() > size) {
        const std::string growth = "from " + std::to_string(size) + " to " + std::to_string(plan.end()) + " bytes";
        if (!shared.platform.askYesNo("Burning into '" + image + "' grows it " + growth + ". Grow it?", "Image grows"))
            throw BurnError("burning would grow '" + image + "' " + growth + "; not burned (answer Yes or use --yes)");
    }
    buffers.applyBurn(plan);
    files.syncData();
    engine.lineImages().burned(plan, shared.autobank.on());
}

}  // namespace

void ImageDirectives::install(EngineContext& engine, EngineContext::DirectiveTable& table) {
    Shared& shared = engine.shared();
    auto fileService = [&shared]() -> FileHandle& { return *shared.gFiles; };
    auto bufferSet = [&shared]() -> FileBuffer& { return *shared.gBuffers; };

    // Writes the whole buffer set into a new buffer file; false when nothing
    // was written. A set the format cannot hold leaves no partial file.
    auto writeBufferFile = [&engine, &shared, fileService, bufferSet](std::string name) {
        FileStackGuard opened(fileService().stack());
        if (!fileService().OpenFile(name, FileHandle::OpenMode::write, true)) {
            engine.reportError("'" + name + "' exists or cannot be written; not replaced (answer Yes or use --yes)");
            return false;
        }
        try {
            bufferSet().writebuffer();
        } catch (const KestrelError&) {
            opened.closeAll();
            std::error_code ignored;
            std::filesystem::remove(shared.platform.nativePath(name), ignored);
            throw;
        }
        return true;
    };

    table["encode"] = [&engine, fileService, writeBufferFile](EngineContext::Call& call) {
        std::string name = call.arg(1);
        if (call.count() < 1 || !fileService().OpenFile(name, FileHandle::OpenMode::input)) {
            engine.reportError("cannot open script '" + call.arg(1) + "'");
            return;
        }
        fileService().setFilename(NamePart::fullpath, name);
        engine.runOpenFiles();
        fileService().setFilename(NamePart::extension, "buf");
        std::string out = fileService().filename(NamePart::fullpath);
        if (!writeBufferFile(out)) return;
        std::string target = out;
        const std::string note = fileService().Dos("shell", target);
        if (!note.empty()) fileService().echo(note);
    };

    table["kapoke"] = [&engine, writeBufferFile](EngineContext::Call& call) {
        std::string name = call.arg(1);
        if (call.count() < 1)
            engine.reportError("kapoke needs the name of a buffer file");
        else
            writeBufferFile(name);
    };

    table["kapeek"] = [&engine, fileService, bufferSet](EngineContext::Call& call) {
        std::string name = call.arg(1);
        FileStackGuard opened(fileService().stack());
        if (call.count() < 1 || !fileService().OpenFile(name, FileHandle::OpenMode::read)) {
            engine.reportError("cannot open buffer file '" + call.arg(1) + "'");
            return;
        }
        bufferSet().readbuffer(call.count() >= 2 ? call.arg(2) : std::string());
    };

    // The bytes go into the line's working copy of the image (LineImages),
    // which replaces the image when the line ends. A failed burn is an
    // error and keeps every image of the line as it was.
    table["kapop"] = [&engine, &shared](EngineContext::Call& call) {
        FileHandle& files = *shared.gFiles;
        LineImages& images = engine.lineImages();
        auto fail = [&engine, &images](const std::string& message) {
            images.markFailed();
            engine.reportError(message);
        };
        const std::string image = call.count() >= 1 ? shared.platform.resolveExisting(call.arg(1)) : std::string();
        if (image.empty()) {
            fail("cannot open image '" + call.arg(1) + "'");
            return;
        }
        std::string name;
        try {
            name = images.open(image).path();
        } catch (const KestrelError& error) {
            fail(error.what());
            return;
        }
        FileStackGuard opened(files.stack());
        if (!files.OpenFile(name, FileHandle::OpenMode::read)) {
            fail("cannot open image '" + image + "'");
            return;
        }
        try {
            burnInto(engine, shared, image);
        } catch (const CriticalError& error) {
            images.markFailed();
            // The box first, as when the burn itself ended the program.
            files.critical(error.what());
        } catch (const KestrelError& error) {
            opened.closeAll();
            fail(error.what());
            return;
        } catch (...) {
            images.markFailed();
            throw;
        }
    };
}

}  // namespace kestrel
