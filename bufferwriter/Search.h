#pragma once
// The search window as a model ("Search..."): what it shows and its Look and
// Assign / Reserve. It finds room for the labels selected in the main window
// (FreeSpaceSearch) and hands the chosen address to BufList::pushthese.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

class BufList;

class Search {
public:
    explicit Search(BufList& owner) : owner_(owner) {}

    // The boxes, as the window shows them.
    std::string txtBytes;               // "Looking For:" N "Bytes"
    int pattern = 1;                    // 0: "00", 1: "FF"
    std::string TxtStart = "&h800000";  // "Starting at:"
    bool Safety = true;                 // probe of 100 bytes, else 10
    std::vector<std::string> LstLocations;
    std::string txtOffsett;  // the chosen address
    bool Reserve = false;

    std::string safetyTooltip() const { return Safety ? "min 100" : "min 10"; }
    std::string commandCaption() const { return Reserve ? "Reserve" : "Assign"; }
    uint8_t filler() const { return pattern == 0 ? 0x00 : 0xFF; }

    // Clicking a found address copies its text into txtOffsett.
    void choose(int index);
    // Look: lists up to five addresses with room for N bytes. Returns how
    // many; a bad start or N is refused with a message and lists nothing.
    int Look();
    // Assign (and Reserve when ticked). True when the labels got their
    // addresses and the window closes; false, with a message, when the
    // address is not valid or the room cannot be reserved.
    bool Assign();

    // The room the last Look or Assign pointed at, for the image map.
    std::optional<std::pair<int64_t, int64_t>> room() const;

private:
    std::optional<int64_t> bytesNeeded();
    // Checks that [address, address + N) is filler inside the image and
    // overwrites it with the other filler.
    bool reserve(int64_t address, int64_t needed);

    BufList& owner_;
};

}  // namespace kestrel
