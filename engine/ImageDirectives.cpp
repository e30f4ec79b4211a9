#include "engine/ImageDirectives.h"

#include <cstdint>

#include "buffers/BurnPlan.h"
#include "buffers/FileBuffer.h"
#include "engine/LineImages.h"
#include "engine/Shared.h"
#include "platform/Platform.h"
#include "services/FileHandle.h"
#include "services/ImageWorkingCopy.h"
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
void burnInto(EngineContext& engine, Shared& shared, const std::string& image) {
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
    engine.lineImages().burned(plan, shared.autobank.on());
}

} // namespace

void ImageDirectives::install(EngineContext& engine, EngineContext::DirectiveTable& table) {
    Shared& shared = engine.shared();

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
