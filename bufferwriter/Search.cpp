#include "bufferwriter/Search.h"

#include <algorithm>

#include "bufferwriter/AddressText.h"
#include "bufferwriter/BufList.h"
#include "bufferwriter/FreeSpaceSearch.h"
#include "bufferwriter/ScopedFile.h"
#include "services/FileHandle.h"
#include "text/KestrelError.h"

namespace kestrel {

namespace {

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
}

}  // namespace

void Search::choose(int index) {
    if (index >= 0 && index < static_cast<int>(LstLocations.size()))
        txtOffsett = LstLocations[static_cast<std::size_t>(index)];
}

std::optional<int64_t> Search::bytesNeeded() {
    try {
        return address::parse(txtBytes);
    } catch (const KestrelError& error) {
        owner_.tell(std::string("Looking For: ") + error.what());
        return std::nullopt;
    }
}

int Search::Look() {
    replaceAll(TxtStart, "0x", "&h");
    LstLocations.clear();
    const auto needed = bytesNeeded();
    if (!needed) return 0;
    int64_t start = 0;
    try {
        start = address::parse(TxtStart);
    } catch (const KestrelError& error) {
        owner_.tell(std::string("Starting at: ") + error.what());
        return 0;
    }
    FileHandle& files = owner_.fileService();
    std::string image = owner_.destination();
    if (image.empty()) return 0;
    ScopedFile file(files, image, FileHandle::OpenMode::read);
    if (!file) return 0;
    owner_.setDestination(file.opened());

    FreeSpaceSearch::Request request;
    request.filler = filler();
    request.probe = Safety ? 100 : 10;
    request.needed = *needed;
    request.start = start;
    try {
        const int64_t length = files.fLen();
        const auto found =
            FreeSpaceSearch::find(request, length, [&files](int64_t position, char* out, std::size_t count) {
                files.SeekData(static_cast<int32_t>(position));
                return files.readBytes(out, count);
            });
        for (int64_t at : found) LstLocations.push_back(address::hex(at));
    } catch (const KestrelError& error) {
        owner_.tell(file.opened() + ": " + error.what());
    }
    return static_cast<int>(LstLocations.size());
}

bool Search::reserve(int64_t at, int64_t needed) {
    FileHandle& files = owner_.fileService();
    std::string image = owner_.destination();
    ScopedFile file(files, image, FileHandle::OpenMode::read);
    if (!file) {
        owner_.tell("Reserve: the image '" + owner_.destination() + "' cannot be opened; nothing assigned");
        return false;
    }
    owner_.setDestination(file.opened());
    try {
        const int64_t length = files.fLen();
        if (at + needed > length) {
            owner_.tell("Reserve: " + std::to_string(needed) + " bytes at " + address::hex(at) +
                        " run past the end of the image (" + address::hex(length) + "); nothing assigned");
            return false;
        }
        // The image may have changed since Look: the room must still be filler.
        files.SeekData(static_cast<int32_t>(at));
        const std::string room = needed > 0 ? files.getBlock(static_cast<std::size_t>(needed)) : std::string();
        const char free = static_cast<char>(filler());
        const auto taken = std::find_if(room.begin(), room.end(), [free](char c) { return c != free; });
        if (taken != room.end()) {
            owner_.tell("Reserve: the byte at " + address::hex(at + (taken - room.begin())) +
                        " is not filler; nothing assigned");
            return false;
        }
        files.SeekData(static_cast<int32_t>(at));
        files.putText(FileHandle::DataKind::block,
                      std::string(static_cast<std::size_t>(needed), static_cast<char>(~filler())));
    } catch (const KestrelError& error) {
        owner_.tell("Reserve: " + std::string(error.what()) + "; nothing assigned");
        return false;
    }
    return true;
}

bool Search::Assign() {
    int64_t at = 0;
    try {
        at = address::parse(txtOffsett);
    } catch (const KestrelError& error) {
        owner_.tell(std::string("Assign needs an address: ") + error.what());
        return false;
    }
    if (at == 0) {
        owner_.tell("Assign needs an address: 0 is the image's header");
        return false;
    }
    if (Reserve) {
        const auto needed = bytesNeeded();
        if (!needed || !reserve(at, *needed)) return false;
    }
    return owner_.pushthese(at);
}

std::optional<std::pair<int64_t, int64_t>> Search::room() const {
    try {
        const int64_t at = address::parse(txtOffsett);
        return std::make_pair(at, address::parse(txtBytes));
    } catch (const KestrelError&) {
        return std::nullopt;
    }
}

}  // namespace kestrel
