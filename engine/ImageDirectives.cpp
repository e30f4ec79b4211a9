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
#include "services/ImageWorkingCopy.h"
#include "text/Autobank.h"
#include "text/KestrelError.h"

namespace kestrel {

namespace {

// Closes the files a directive opened, whatever the burn closed already.
void closeDownTo(FileHandle& files, int depth) {
    while (files.fileno() > depth) files.closefile();
}

// Writes the planned burn into the image open on top of the file stack.
// Everything is planned and checked before the first byte is written, so a
// refused burn leaves the working copy as it was.
void burnInto(Control& engine, Shared& shared, const std::string& image) {
    FileHandle& files = *shared.gFiles;
    FileBuffer& buffers = *shared.gBuffers;
    const BurnPlan plan = buffers.planBurn();
    if (plan.hasHardProblems()) throw BurnError("nothing burned into '" + image + "': " + plan.describeProblems());
    const int64_t size = files.fLen();
    if (plan.end() > size) {
        const std::string growth = "from " + std::to_string(size) + " to " + std::to_string(plan.end()) + " bytes";
        if (!shared.platform.askYesNo("Burning into '" + image + "' grows it " + growth + ". Grow it?",
                                      "Image grows"))
            throw BurnError("burning would grow '" + image + "' " + growth +
                            "; not burned (answer Yes or use --yes)");
    }
    buffers.applyBurn(plan);
    files.syncData();
    engine.lineImages().burned(plan, autobank());
}

} // namespace

void ImageDirectives::install(Control& engine, std::unordered_map<std::string, Control::Handler>& table) {
    Shared& shared = engine.shared_;
    auto fileService = [&shared]() -> FileHandle& { return *shared.gFiles; };
    auto bufferSet = [&shared]() -> FileBuffer& { return *shared.gBuffers; };

    // Writes the whole buffer set into a new buffer file; false when nothing
    // was written. A set the format cannot hold leaves no partial file.
    auto writeBufferFile = [&engine, &shared, fileService, bufferSet](std::string name) {
        const int depth = fileService().fileno();
        if (fileService().OpenFile(name, "write", true).empty()) {
            engine.reportError("'" + name + "' exists or cannot be written; not replaced (answer Yes or use --yes)");
            return false;
        }
        try {
            bufferSet().writebuffer();
        } catch (const KestrelError&) {
            closeDownTo(fileService(), depth);
            std::error_code ignored;
            std::filesystem::remove(shared.platform.nativePath(name), ignored);
            throw;
        }
        closeDownTo(fileService(), depth);
        return true;
    };

    table["encode"] = [&engine, fileService, writeBufferFile](Control::Call& call) {
        std::string name = call.arg(1);
        if (call.count() < 1 || fileService().OpenFile(name, "input").empty()) {
            engine.reportError("cannot open script '" + call.arg(1) + "'");
            return;
        }
        fileService().setFilename("fullpath", name);
        engine.kaRunFile();
        fileService().setFilename("ext", "buf");
        std::string out = fileService().filename("fullname");
        if (!writeBufferFile(out)) return;
        std::string target = out;
        const std::string note = fileService().Dos("shell", target);
        if (!note.empty()) fileService().echo(note);
    };

    table["kapoke"] = [&engine, writeBufferFile](Control::Call& call) {
        std::string name = call.arg(1);
        if (call.count() < 1)
            engine.reportError("kapoke needs the name of a buffer file");
        else
            writeBufferFile(name);
    };

    table["kapeek"] = [&engine, fileService, bufferSet](Control::Call& call) {
        std::string name = call.arg(1);
        const int depth = fileService().fileno();
        if (call.count() < 1 || fileService().OpenFile(name, "read").empty()) {
            engine.reportError("cannot open buffer file '" + call.arg(1) + "'");
            return;
        }
        try {
            bufferSet().readbuffer(call.count() >= 2 ? call.arg(2) : std::string());
        } catch (...) {
            closeDownTo(fileService(), depth);
            throw;
        }
        closeDownTo(fileService(), depth);
    };

    // The bytes go into the line's working copy of the image (LineImages),
    // which replaces the image when the line ends. A failed burn is an
    // error and keeps every image of the line as it was.
    table["kapop"] = [&engine, &shared](Control::Call& call) {
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
        const int depth = files.fileno();
        if (files.OpenFile(name, "read").empty()) {
            fail("cannot open image '" + image + "'");
            return;
        }
        try {
            burnInto(engine, shared, image);
        } catch (const CriticalError& error) {
            images.markFailed();
            // The box first, as when the burn itself ended the program.
            try {
                files.critical(error.what());
            } catch (...) {
                closeDownTo(files, depth);
                throw;
            }
        } catch (const KestrelError& error) {
            closeDownTo(files, depth);
            fail(error.what());
            return;
        } catch (...) {
            images.markFailed();
            closeDownTo(files, depth);
            throw;
        }
        closeDownTo(files, depth);
    };
}

} // namespace kestrel
