#include "bufferwriter/BufList.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>

#include "buffers/FileBuffer.h"
#include "buffers/SymbolTable.h"
#include "bufferwriter/AddressText.h"
#include "bufferwriter/BpsPatch.h"
#include "bufferwriter/ImageWrites.h"
#include "bufferwriter/IpsPatch.h"
#include "bufferwriter/ScopedFile.h"
#include "platform/Platform.h"
#include "services/FileHandle.h"
#include "services/ImageWorkingCopy.h"
#include "services/OutputFile.h"
#include "text/Autobank.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/SmartNum.h"
#include "text/SmartString.h"
#include "text/TextKit.h"

namespace kestrel {

namespace fs = std::filesystem;

namespace {

constexpr const char* kTitle = "Plover";

std::string trimmed(std::string text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.back())) text.pop_back();
    std::size_t from = 0;
    while (from < text.size() && blank(text[from])) ++from;
    return text.substr(from);
}

// A name of the queue: blanks and surrounding quotes removed.
std::string cleanName(std::string name) {
    name = trimmed(std::move(name));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = trimmed(name.substr(1, name.size() - 2));
    return name;
}

std::string withoutMergePrefix(const std::string& name) {
    const auto dot = name.find('.');
    return dot == std::string::npos ? name : name.substr(dot + 1);
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
}

// The address a label or pointer name stands for when it is a value word:
// "&h" digits read unsigned, other numbers by their numeric reading.
std::optional<int64_t> namedAddress(const std::string& name) {
    const std::string rest = withoutMergePrefix(name);
    if (rest.size() >= 2 && rest[0] == '&' && (rest[1] == 'h' || rest[1] == 'H')) {
        try {
            return address::parse(rest);
        } catch (const KestrelError&) {
            return std::nullopt;
        }
    }
    if (!SmartString::isvalue(rest, false)) return std::nullopt;
    const double value = numeric::read(rest);
    if (value < 0 || value > static_cast<double>(address::kLargest)) return std::nullopt;
    return static_cast<int64_t>(value);
}

std::string range(int64_t address, int64_t size) {
    return address::hex(address) + "-" + address::hex(address + std::max<int64_t>(size, 1) - 1);
}

}  // namespace

BufList::BufList(Platform& platform)
    : platform_(platform),
      files_(std::make_unique<FileHandle>(platform, "plover")),
      set_(std::make_unique<FileBuffer>(*files_, autobank_, kTitle, [](const std::string&) { return true; })),
      search_(*this) {
    files_->setConsole(this);
}

BufList::~BufList() { files_->setConsole(nullptr); }

void BufList::notify() {
    if (changed) changed();
}

void BufList::tell(const std::string& text) {
    files_->echo(text);
    platform_.messageBox(text, kTitle);
}

// --- the queue ---------------------------------------------------------------

void BufList::start(const std::string& commandLine) {
    queue_ = commandLine;
    if (!trimmed(queue_).empty()) peekfiles();
}

void BufList::forwarded(const std::string& commandLine) {
    if (busy_) {
        execute(commandLine);
        return;
    }
    queue_ = commandLine;
    peekfiles();
}

void BufList::execute(const std::string& command) {
    if (queue_.empty())
        queue_ = command;
    else
        queue_ += ";" + command;
    if (!busy_) peekfiles();
}

std::string BufList::resolvedIn(const std::string& names, const std::string& directory) {
    std::string result;
    for (std::size_t from = 0;;) {
        const std::size_t semi = names.find(';', from);
        std::string name = cleanName(names.substr(from, semi == std::string::npos ? std::string::npos : semi - from));
        if (!name.empty() && !directory.empty() && !std::filesystem::path(name).is_absolute())
            name = (std::filesystem::path(directory) / name).lexically_normal().string();
        result += name;
        if (semi == std::string::npos) return result;
        result += ';';
        from = semi + 1;
    }
}

void BufList::import() {
    std::string chosen = files_->getfile(FileDialogKind::openMany);
    if (chosen.empty()) return;
    // A multiple choice comes as "folder;a;b": the queue takes full names.
    std::vector<std::string> parts;
    for (std::size_t from = 0;;) {
        const std::size_t semi = chosen.find(';', from);
        parts.push_back(chosen.substr(from, semi == std::string::npos ? std::string::npos : semi - from));
        if (semi == std::string::npos) break;
        from = semi + 1;
    }
    std::string names;
    if (parts.size() > 1) {
        for (std::size_t i = 1; i < parts.size(); ++i)
            names += (names.empty() ? "" : ";") + parts[0] + platform_.separator() + parts[i];
    } else {
        names = chosen;
    }
    execute(names);
}

std::string BufList::takeFromQueue() {
    const std::size_t semi = queue_.find(';');
    std::string name = queue_.substr(0, semi);
    queue_.erase(0, semi == std::string::npos ? std::string::npos : semi + 1);
    return cleanName(std::move(name));
}

void BufList::peekfiles() {
    if (busy_) return;
    busy_ = true;
    // A request that arrives while a file loads (a box dispatches messages)
    // joins the queue and is worked off here.
    while (!queue_.empty()) {
        const std::string name = takeFromQueue();
        if (name.empty()) continue;
        try {
            if (!loadOne(name)) ++failedLoads_;
        } catch (const KestrelError& error) {
            ++failedLoads_;
            files_->echo("Skipped " + name + ": " + error.what());
        }
    }
    rebuildLists();
    busy_ = false;
    notify();
}

std::string BufList::prefixFor(const std::string& base) {
    std::string prefix = textkit::lower(base);
    // A "." in the prefix would end the merge prefix early in label names.
    std::replace(prefix.begin(), prefix.end(), '.', '_');
    auto taken = [this](const std::string& candidate) {
        return std::any_of(loaded_.begin(), loaded_.end(), [&](const LoadedFile& f) { return f.prefix == candidate; });
    };
    if (!taken(prefix)) return prefix;
    for (int n = 2;; ++n) {
        const std::string other = prefix + "_" + std::to_string(n);
        if (!taken(other)) {
            files_->echo("The prefix " + prefix + " is taken by an earlier file; " + base + " uses " + other);
            return other;
        }
    }
}

bool BufList::loadOne(const std::string& name) {
    std::string shown = name;
    std::replace(shown.begin(), shown.end(), '\\', '/');
    const std::string base = fs::path(shown).stem().string();
    if (base.empty()) {
        files_->echo("Skipped " + name + ": no file name");
        return false;
    }
    std::string path = name;
    ScopedFile file(*files_, path, FileHandle::OpenMode::read);
    if (!file) {
        files_->echo("Skipped " + name + ": cannot be opened");
        return false;
    }
    std::error_code ec;
    std::string identity = platform_.resolveExisting(file.opened());
    const fs::path canonical = fs::weakly_canonical(identity, ec);
    if (!ec) identity = canonical.string();
    for (const LoadedFile& loaded : loaded_)
        if (loaded.path == identity) {
            files_->echo("Skipped " + name + ": already loaded as " + loaded.prefix);
            return true;
        }

    const std::string prefix = prefixFor(base);
    // readbuffer checks the whole file before it changes the set, so a file
    // that fails half-way leaves nothing behind.
    try {
        set_->readbuffer(prefix);
    } catch (const KestrelError& error) {
        files_->echo("Skipped " + name + ": " + error.what());
        return false;
    }
    loaded_.push_back({identity, prefix});
    return true;
}

std::string BufList::addressSuffix(const std::string& label) const {
    const auto text = set_->pushed(label);
    if (!text) return {};
    const double at = numeric::read(*text);
    if (at == 0) return {};
    return " (" + numeric::hexText(at) + ")";
}

void BufList::rebuildLists() {
    // Floating names: pointer targets no label satisfies, in the order met.
    std::vector<std::string> names;
    std::map<std::string, bool> seen;
    for (const auto& pointer : set_->pointers().items()) {
        const std::string key = textkit::lower(pointer->name);
        if (seen.emplace(key, true).second) names.push_back(pointer->name);
    }
    offsetts_.clear();
    for (int b = 0; b < FileBuffer::kDataBuffers; ++b) {
        const auto& labels = set_->labels(b).items();
        for (std::size_t k = 0; k < labels.size(); ++k) {
            Entry entry;
            entry.buffer = static_cast<uint8_t>(b);
            entry.label = static_cast<int32_t>(k + 1);
            entry.name = labels[k]->name;
            entry.suffix = addressSuffix(entry.name);
            offsetts_.push_back(std::move(entry));
            seen[textkit::lower(labels[k]->name)] = false;
        }
    }
    floating_.clear();
    for (const std::string& name : names)
        if (seen[textkit::lower(name)] && !set_->pushed(name)) floating_.push_back(name);

    // A first label named by an address goes there at once.
    if (!offsetts_.empty()) {
        Entry& first = offsetts_.front();
        const std::string rest = withoutMergePrefix(first.name);
        try {
            const int64_t at = address::parse(rest);
            if (at > 0) {
                set_->pushoffsett(first.name, static_cast<int32_t>(at));
                first.suffix = " (" + std::to_string(at) + ")";
            }
        } catch (const KestrelError&) {
            // Not an address: the label keeps what it has.
        }
    }
    currentOffsett_ = offsetts_.empty() ? -1 : 0;
    currentFloating_ = floating_.empty() ? -1 : 0;
}

// --- lists -------------------------------------------------------------------

void BufList::setView(View view) {
    view_ = view;
    notify();
}

void BufList::setCurrent(int index) {
    if (view_ == View::Offsetts && index >= 0 && index < static_cast<int>(offsetts_.size())) currentOffsett_ = index;
    if (view_ == View::FloatingPointers && index >= 0 && index < static_cast<int>(floating_.size()))
        currentFloating_ = index;
}

void BufList::setSelected(int index, bool selected) {
    if (index >= 0 && index < static_cast<int>(offsetts_.size()))
        offsetts_[static_cast<std::size_t>(index)].selected = selected;
}

void BufList::selectAll(bool selected) {
    for (Entry& entry : offsetts_) entry.selected = selected;
}

int BufList::selectedCount() const {
    return static_cast<int>(
        std::count_if(offsetts_.begin(), offsetts_.end(), [](const Entry& e) { return e.selected; }));
}

void BufList::move(int delta) {
    auto shift = [delta](auto& list, int& current) {
        const int to = current + delta;
        if (current < 0 || to < 0 || to >= static_cast<int>(list.size())) return;
        std::swap(list[static_cast<std::size_t>(current)], list[static_cast<std::size_t>(to)]);
        current = to;
    };
    if (view_ == View::Offsetts)
        shift(offsetts_, currentOffsett_);
    else if (view_ == View::FloatingPointers)
        shift(floating_, currentFloating_);
    notify();
}

void BufList::rangeSelect() {
    // Runs of selected entries, as [first, last] indexes.
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    for (std::size_t i = 0; i < offsetts_.size(); ++i) {
        if (!offsetts_[i].selected) continue;
        if (!runs.empty() && runs.back().second + 1 == i)
            runs.back().second = i;
        else
            runs.emplace_back(i, i);
    }
    for (std::size_t r = 0; r + 1 < runs.size(); r += 2)
        for (std::size_t i = runs[r].second + 1; i < runs[r + 1].first; ++i) offsetts_[i].selected = true;
    notify();
}

bool BufList::insert() {
    if (view_ == View::FloatingPointers) {
        if (currentFloating_ < 0) return false;
        const auto at = askAddress("Hex Offsetts may start with &h or 0x", "Entetr Absolute Offsett");
        if (!at) return false;
        const std::string name = floating_[static_cast<std::size_t>(currentFloating_)];
        set_->pushoffsett(name, static_cast<int32_t>(*at));
        floating_.erase(floating_.begin() + currentFloating_);
        if (currentFloating_ >= static_cast<int>(floating_.size()))
            currentFloating_ = static_cast<int>(floating_.size()) - 1;
        notify();
        return false;
    }
    if (view_ != View::Offsetts) return false;
    if (offsetts_.empty()) {
        files_->echo("No labels are loaded: nothing to assign");
        return false;
    }
    if (destination_.empty()) setDestination(files_->getfile(FileDialogKind::open));
    search_.Reserve = false;
    if (selectedCount() == 0) selectAll(true);
    int64_t size = 0;
    int first = -1;
    for (std::size_t i = 0; i < offsetts_.size(); ++i) {
        Entry& entry = offsetts_[i];
        if (!entry.selected) {
            // Other labels still wait for room: keep this room from being found again.
            search_.Reserve = true;
            continue;
        }
        if (first < 0) first = static_cast<int>(i);
        size += static_cast<int64_t>(set_->Get_Data(entry.label, entry.buffer).size());
    }
    currentOffsett_ = first;
    search_.txtBytes = std::to_string(size);
    notify();
    return true;
}

bool BufList::pushthese(int64_t start) {
    if (selectedCount() == 0) selectAll(true);
    std::vector<std::pair<std::size_t, int64_t>> sizes;
    int64_t total = 0;
    for (std::size_t i = 0; i < offsetts_.size(); ++i) {
        const Entry& entry = offsetts_[i];
        if (!entry.selected) continue;
        const auto size = static_cast<int64_t>(set_->Get_Data(entry.label, entry.buffer).size());
        if (start + total > address::kLargest) {
            tell(entry.name + " would start at " + address::hex(start + total) +
                 ", beyond the largest image address: nothing assigned");
            return false;
        }
        sizes.emplace_back(i, start + total);
        total += size;
    }
    for (const auto& [index, at] : sizes) {
        Entry& entry = offsetts_[index];
        set_->pushoffsett(entry.name, static_cast<int32_t>(at));
        entry.suffix = " (" + numeric::hexText(static_cast<double>(at)) + ")";
    }
    notify();
    return true;
}

bool BufList::pushName(const std::string& name, int64_t at) {
    for (Entry& entry : offsetts_)
        if (textkit::equalsIgnoreCase(entry.name, name)) {
            set_->pushoffsett(entry.name, static_cast<int32_t>(at));
            entry.suffix = " (" + numeric::hexText(static_cast<double>(at)) + ")";
            notify();
            return true;
        }
    for (std::size_t i = 0; i < floating_.size(); ++i)
        if (textkit::equalsIgnoreCase(floating_[i], name)) {
            set_->pushoffsett(floating_[i], static_cast<int32_t>(at));
            floating_.erase(floating_.begin() + static_cast<std::ptrdiff_t>(i));
            if (currentFloating_ >= static_cast<int>(floating_.size()))
                currentFloating_ = static_cast<int>(floating_.size()) - 1;
            notify();
            return true;
        }
    return false;
}

std::optional<int64_t> BufList::askAddress(const std::string& prompt, const std::string& title) {
    auto answer = platform_.inputBox(prompt, title);
    if (!answer) return std::nullopt;
    std::string text = *answer;
    replaceAll(text, "0x", "&h");
    text = trimmed(text);
    if (text.empty()) return std::nullopt;
    try {
        const int64_t at = address::parse(text);
        if (at == 0) {
            tell("0 is the image's header, not an address for labels");
            return std::nullopt;
        }
        return at;
    } catch (const KestrelError& error) {
        tell(error.what());
        return std::nullopt;
    }
}

// --- destination and options ---------------------------------------------

void BufList::setDestination(std::string path) {
    destination_ = std::move(path);
    notify();
}

void BufList::chooseDestination() {
    const std::string chosen = files_->getfile(FileDialogKind::open);
    if (!chosen.empty()) setDestination(chosen);
}

bool BufList::autobank() const { return autobank_.on(); }

void BufList::setAutobank(bool on) {
    autobank_.set(on);
    notify();
}

int16_t BufList::fill() const { return set_->fillme; }

void BufList::setFill(int16_t fill) {
    set_->fillme = fill;
    notify();
}

// --- burning -------------------------------------------------------------------

BurnReview BufList::review(bool ask) {
    BurnReview review;
    auto pushedAt = [this](const std::string& name) -> int64_t {
        const auto text = set_->pushed(name);
        return text ? static_cast<int64_t>(numeric::read(*text)) : 0;
    };
    auto fix = [this](const std::string& name, int64_t at) { set_->pushoffsett(name, static_cast<int32_t>(at)); };

    // Labels named by an address go there, read unsigned; a label that would
    // float from address 0 asks for its own start.
    bool anchored = false;  // false while a floating label would start from address 0
    for (int b = 0; b < FileBuffer::kDataBuffers && review.complete; ++b) {
        for (const auto& label : set_->labels(b).items()) {
            if (pushedAt(label->name) != 0) {
                anchored = true;
            } else if (const auto named = namedAddress(label->name)) {
                fix(label->name, *named);
                anchored = true;
            } else if (!anchored) {
                files_->echo(" - No starting offset for " + label->name);
                const auto given = ask ? askAddress("Please specify offset", "No starting offset.") : std::nullopt;
                if (!given) {
                    review.complete = false;
                    review.missing = "no starting offset for " + label->name;
                    break;
                }
                fix(label->name, *given);
                anchored = true;
            }
        }
    }
    for (const auto& pointer : set_->pointers().items())
        if (pushedAt(pointer->name) == 0)
            if (const auto named = namedAddress(pointer->name); named && *named != 0) fix(pointer->name, *named);

    // Every pointer target's address is had before anything is written.
    review.plan = set_->planBurn([&](const std::string& target) -> std::optional<double> {
        if (!ask || !review.complete) return std::nullopt;
        const auto given = askAddress("Enter offset for " + target + ":", "Floating Pointer must be pushed");
        if (!given) {
            review.complete = false;
            review.missing = "no address for the pointer target " + target;
            return std::nullopt;
        }
        return static_cast<double>(*given);
    });
    for (const auto& pointer : review.plan.pointers)
        if (!pointer.resolved && review.complete) {
            review.complete = false;
            review.missing = "no address for the pointer target " + pointer.name;
        }

    // Overlaps, in address order, against the label that reaches furthest so far.
    std::vector<const BurnPlan::Label*> order;
    for (const auto& label : review.plan.labels)
        if (label.size > 0) order.push_back(&label);
    std::stable_sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->address < b->address; });
    const BurnPlan::Label* furthest = nullptr;
    for (const BurnPlan::Label* label : order) {
        if (furthest && label->address < furthest->address + furthest->size)
            review.warnings.push_back(label->name + " (" + range(label->address, label->size) + ") overlaps " +
                                      furthest->name + " (" + range(furthest->address, furthest->size) + ")");
        if (!furthest || label->address + label->size > furthest->address + furthest->size) furthest = label;
    }
    std::error_code ec;
    const std::string image = destination_.empty() ? std::string() : platform_.resolveExisting(destination_);
    const auto length = image.empty() ? 0 : fs::file_size(image, ec);
    if (!image.empty() && !ec) {
        for (const auto& label : review.plan.labels)
            if (label.address + label.size > static_cast<int64_t>(length))
                review.warnings.push_back(label.name + " (" + range(label.address, label.size) +
                                          ") runs past the end of the image (" + std::to_string(length) + " bytes)");
    }
    return review;
}

bool BufList::burn() {
    return carryOut("Burn", "nothing burned", [this](const BurnPlan& plan) { return burnImage(destination_, plan); });
}

bool BufList::writePatch(const std::string& patchFile) {
    return carryOut("Patch", "no patch written",
                    [&](const BurnPlan& plan) { return patchImage(destination_, patchFile, plan); });
}

bool BufList::carryOut(const std::string& title, const std::string& nothing,
                       const std::function<bool(const BurnPlan&)>& act) {
    if (busy_) {
        files_->echo("Busy: the " + textkit::lower(title) + " waits until the load has finished");
        return false;
    }
    busy_ = true;
    bool done = false;
    try {
        if (destination_.empty()) chooseDestination();
        if (destination_.empty()) {
            files_->echo(title + ": no destination image; " + nothing);
        } else {
            const BurnReview checked = review(true);
            if (!checked.complete) {
                files_->echo(title + " cancelled (" + checked.missing + "); " + nothing);
            } else if (checked.refused()) {
                tell(textkit::upper(nothing.substr(0, 1)) + nothing.substr(1) + ":\n" +
                     checked.plan.describeProblems());
            } else {
                std::string question;
                for (const std::string& warning : checked.warnings) {
                    files_->echo(" - " + warning);
                    question += warning + "\n";
                }
                if (!checked.warnings.empty() && !platform_.askYesNo(question + title + " anyway?", title)) {
                    files_->echo(title + " refused; " + nothing);
                } else {
                    done = act(checked.plan);
                    if (done) lastPlan_ = checked.plan;
                }
            }
        }
    } catch (const KestrelError& error) {
        files_->echo(title + " failed; " + nothing + ": " + error.what());
    }
    for (Entry& entry : offsetts_) entry.suffix = addressSuffix(entry.name);
    busy_ = false;
    view_ = View::Log;
    notify();
    if (!queue_.empty()) peekfiles();
    return done;
}

// The image is burned in a working copy that replaces it only when every
// byte is written: the image is either as it was or fully burned.
bool BufList::burnImage(const std::string& image, const BurnPlan& plan) {
    const std::string resolved = platform_.resolveExisting(image);
    if (resolved.empty()) {
        tell("Burn: the image '" + image + "' does not exist; nothing burned");
        return false;
    }
    try {
        ImageWorkingCopy copy(platform_, resolved);
        {
            std::string name = copy.path();
            ScopedFile file(*files_, name, FileHandle::OpenMode::read);
            if (!file) throw BurnError("cannot open the working copy '" + copy.path() + "'");
            set_->applyBurn(plan);
        }
        copy.commit();
    } catch (const KestrelError& error) {
        tell(std::string("Burn: nothing burned: ") + error.what());
        return false;
    }
    setDestination(resolved);
    files_->echo("Burned into " + resolved);
    return true;
}

// The patch is the difference between the image and the image the plan would
// make of it. The image is read once; the burned image is never made.
bool BufList::patchImage(const std::string& image, const std::string& patchFile, const BurnPlan& plan) {
    const std::string resolved = platform_.resolveExisting(image);
    if (resolved.empty()) {
        tell("Patch: the image '" + image + "' does not exist; no patch written");
        return false;
    }
    const std::string extension = textkit::lower(fs::path(patchFile).extension().string());
    try {
        if (extension != ".ips" && extension != ".bps")
            throw FormatError("'" + patchFile + "': a patch file ends in .ips or .bps");
        std::ifstream in(platform_.nativePath(resolved), std::ios::binary | std::ios::ate);
        const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
        std::string source(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
        if (size < 0 || !in.seekg(0) || !in.read(source.data(), static_cast<std::streamsize>(source.size())))
            throw FileError("cannot read the image '" + resolved + "'");
        in.close();
        const ImageWrites writes = ImageWrites::ofBurn(*set_, plan);
        const std::string patch =
            extension == ".ips" ? IpsPatch::build(source, writes) : BpsPatch::build(source, writes);
        source = std::string();
        if (!OutputFile::mayReplace(platform_, patchFile)) {
            tell("Patch: '" + patchFile + "' exists; not replaced (answer Yes or use --yes)");
            return false;
        }
        OutputFile::write(platform_, patchFile, patch);
    } catch (const KestrelError& error) {
        tell(std::string("Patch: no patch written: ") + error.what());
        return false;
    }
    setDestination(resolved);
    files_->echo("Patch of " + resolved + " written to " + patchFile + "; the image is unchanged");
    return true;
}

bool BufList::writeSymbols(const std::string& symbolFile, const BurnPlan& plan) {
    SymbolTable symbols;
    symbols.add(plan, autobank());
    try {
        if (!OutputFile::mayReplace(platform_, symbolFile)) {
            tell("Symbols: '" + symbolFile + "' exists; not replaced (answer Yes or use --yes)");
            return false;
        }
        OutputFile::write(platform_, symbolFile, symbols.text());
    } catch (const KestrelError& error) {
        tell(std::string("Symbols: not written: ") + error.what());
        return false;
    }
    files_->echo("Symbols of " + std::to_string(symbols.size()) + " labels written to " + symbolFile);
    return true;
}

std::vector<ImageMap::Cell> BufList::imageMap(std::size_t count) {
    map_.survey(destination_.empty() ? std::string() : platform_.resolveExisting(destination_), count);
    std::vector<ImageMap::Span> labels;
    for (const Entry& entry : offsetts_) {
        const auto text = set_->pushed(entry.name);
        const double at = text ? numeric::read(*text) : 0;
        if (at <= 0) continue;
        try {
            labels.emplace_back(static_cast<int64_t>(at),
                                static_cast<int64_t>(set_->Get_Data(entry.label, entry.buffer).size()));
        } catch (const KestrelError&) {
            // A label the set no longer holds draws nothing.
        }
    }
    return map_.cells(labels, search_.room());
}

// --- texts -----------------------------------------------------------------------

std::string BufList::info() const { return set_->buffer(FileBuffer::kCommentSlot); }

void BufList::add(const std::string& text) {
    if (!log_.empty()) log_ += '\n';
    log_ += text;
    if (logged) logged();
}

void BufList::cls() {
    log_.clear();
    if (logged) logged();
}

void BufList::keepLast(std::size_t keep) {
    if (log_.size() > keep) log_.erase(0, log_.size() - keep);
}

}  // namespace kestrel
