#pragma once
// The buffer writer's main window as a model: the queue of buffer files, the
// Offsetts and Floating Pointers lists, the Info and Log texts, the
// destination image, the options, and every operation of the window. A view
// draws this state and passes its events on; it needs no logic of its own.
//
// Entries of the Offsetts list are identified by (buffer, label number),
// never by their text. Operations report through the log and the platform's
// boxes and do not throw, so a view's event code needs no handler.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bufferwriter/BurnReview.h"
#include "bufferwriter/ImageMap.h"
#include "bufferwriter/Search.h"
#include "services/ConsoleSink.h"
#include "text/Autobank.h"

namespace kestrel {

class FileBuffer;
class FileHandle;
class Platform;

class BufList : public ConsoleSink {
public:
    enum class View { Offsetts = 0, FloatingPointers = 1, Info = 2, Log = 3 };

    // One entry of the Offsetts list.
    struct Entry {
        uint8_t buffer = 0;
        int32_t label = 0;  // 1-based number in its buffer's label list
        std::string name;
        std::string suffix;  // " (1000)" once the label has an address, else ""
        bool selected = false;
        std::string text() const { return name + suffix; }
        // The list's entry data: buffer * 100000 + label number.
        int32_t data() const { return buffer * 100000 + label; }
    };

    explicit BufList(Platform& platform);
    ~BufList() override;
    BufList(const BufList&) = delete;
    BufList& operator=(const BufList&) = delete;

    FileHandle& fileService() { return *files_; }
    FileBuffer& bufferSet() { return *set_; }
    Platform& platform() { return platform_; }
    Search& search() { return search_; }

    // --- the queue ---------------------------------------------------------
    const std::string& files() const { return queue_; }
    bool busy() const { return busy_; }
    // The command line at start: becomes the queue, which is loaded.
    void start(const std::string& commandLine);
    // A second start's command line: replaces the queue and loads it; while a
    // load or burn runs it only joins the queue.
    void forwarded(const std::string& commandLine);
    // An execute request: joins the queue after a ";"; loaded unless busy.
    void execute(const std::string& command);
    // A queue sent from another process: every relative name of `names`
    // becomes a name in `directory`, the sender's folder, without blanks or
    // quotes around it; empty parts stay.
    static std::string resolvedIn(const std::string& names, const std::string& directory);
    // File › Import: the multi-selection dialog; the names join the queue.
    void import();
    // Works off the queue: every file is loaded whole or not at all, then
    // both lists are rebuilt from the whole set.
    void peekfiles();
    // Files of the queue that could not be loaded, since the start.
    int failedLoads() const { return failedLoads_; }

    // --- lists -------------------------------------------------------------
    const std::vector<Entry>& offsetts() const { return offsetts_; }
    const std::vector<std::string>& floating() const { return floating_; }
    View view() const { return view_; }
    void setView(View view);
    // Current entry of each list; -1 when the list is empty.
    int currentOffsett() const { return currentOffsett_; }
    int currentFloating() const { return currentFloating_; }
    void setCurrent(int index);  // of the visible list
    void setSelected(int index, bool selected);
    void selectAll(bool selected);
    int selectedCount() const;
    // Up (-1) and Dn (+1): the current entry of the visible list moves one
    // place, its selection with it; nothing happens at the ends.
    void move(int delta);
    // Ctrl on release over the Offsetts list: the entries between the first
    // and second run of selected entries become selected, and so on for the
    // third and fourth; an unpaired last run selects nothing after it.
    void rangeSelect();
    // The Assign button. On the Offsetts view it prepares the search window
    // and returns true when the view is to show it; on the Floating Pointers
    // view it asks for the current name's address.
    bool insert();
    // Selected labels get consecutive addresses from `start` in list order
    // (all of them when none is selected). False, with a message, when an
    // address would pass the largest image address.
    bool pushthese(int64_t start);
    // Gives one label or floating name (any case) an address; false when no
    // entry has that name.
    bool pushName(const std::string& name, int64_t address);

    // --- destination and options ----------------------------------------
    const std::string& destination() const { return destination_; }
    void setDestination(std::string path);
    void chooseDestination();
    bool autobank() const;
    void setAutobank(bool on);
    int16_t fill() const;
    void setFill(int16_t fill);  // -1, 0 or 255

    // --- burning -----------------------------------------------------------
    // Every label's address and every pointer's value, with overlaps and
    // labels past the image's end; asks for missing addresses when `ask` is
    // set. Labels and pointer targets named by an address are pushed there
    // first (read unsigned), and so are the answers.
    BurnReview review(bool ask);
    // Plans, asks Yes/No about overlaps and labels past the image's end,
    // then burns the whole set into the destination image, which is either
    // fully burned or left as it was. True when burned.
    bool burn();
    // The same checks and questions as burn(), then writes the difference
    // the burn would make as a patch (`.ips` or `.bps`, by the extension of
    // `patchFile`) and leaves the image as it is. True when written.
    bool writePatch(const std::string& patchFile);
    // The plan of the last burn or patch that was carried out; nullptr before.
    const BurnPlan* lastPlan() const { return lastPlan_ ? &*lastPlan_ : nullptr; }
    // Writes the labels of `plan` with their final addresses as a symbol
    // file (SymbolTable), under the autobank setting. False, logged and
    // shown, when it cannot be written.
    bool writeSymbols(const std::string& symbolFile, const BurnPlan& plan);

    // The image map for `count` cells: placed labels and the search's room
    // over the destination's filler and data.
    std::vector<ImageMap::Cell> imageMap(std::size_t count);
    const ImageMap& map() const { return map_; }

    // --- texts ---------------------------------------------------------------
    std::string info() const;
    const std::string& log() const { return log_; }
    // Appends a line to the log (the window's `add`).
    void add(const std::string& text) override;

    // The view's refresh: `changed` after lists, options or the destination
    // changed; `logged` after a log line was added.
    std::function<void()> changed;
    std::function<void()> logged;

    // ConsoleSink: the Log view.
    bool visible() const override { return true; }
    void cls() override;
    std::size_t textLength() const override { return log_.size(); }
    void keepLast(std::size_t keep) override;

    // A box with the program's title ("Plover"), also logged.
    void tell(const std::string& text);

private:
    struct LoadedFile {
        std::string path;    // as resolved on disk
        std::string prefix;  // merge prefix, without the "."
    };

    std::string takeFromQueue();
    // False when the file could not be loaded (one already loaded is no failure).
    bool loadOne(const std::string& name);
    void rebuildLists();
    std::string prefixFor(const std::string& name);
    std::string addressSuffix(const std::string& label) const;
    void notify();
    std::optional<int64_t> askAddress(const std::string& prompt, const std::string& title);
    // Writes the planned set into the image (the only place that writes it).
    bool burnImage(const std::string& image, const BurnPlan& plan);
    // What burn() and writePatch() share: the destination, the plan and its
    // questions, then `act` on the plan. `title` names the operation in the
    // log ("Burn"), `nothing` what a refusal leaves ("nothing burned").
    bool carryOut(const std::string& title, const std::string& nothing,
                  const std::function<bool(const BurnPlan&)>& act);
    bool patchImage(const std::string& image, const std::string& patchFile, const BurnPlan& plan);

    Platform& platform_;
    std::unique_ptr<FileHandle> files_;
    // The Options menu's switch; the buffer set reads it (declared before it).
    Autobank autobank_;
    std::unique_ptr<FileBuffer> set_;
    Search search_;
    std::string queue_;
    bool busy_ = false;
    int failedLoads_ = 0;
    std::vector<LoadedFile> loaded_;
    std::vector<Entry> offsetts_;
    std::vector<std::string> floating_;
    View view_ = View::Offsetts;
    int currentOffsett_ = -1;
    int currentFloating_ = -1;
    std::string destination_;
    std::string log_;
    ImageMap map_;
    std::optional<BurnPlan> lastPlan_;
};

}  // namespace kestrel
