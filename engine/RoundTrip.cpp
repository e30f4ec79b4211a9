#include "engine/RoundTrip.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <random>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "buffers/FileBuffer.h"
#include "buffers/OffsetList.h"
#include "engine/Control.h"
#include "engine/Shared.h"
#include "engine/TableExchange.h"
#include "platform/Platform.h"
#include "services/FileHandle.h"
#include "text/TextKit.h"

namespace kestrel {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxFolderNames = 100;

// A new, empty folder under the system's temporary folder, removed with
// everything in it when the object goes; the current folder, which
// directives that name files change, is restored too.
class ScratchFolder {
public:
    ScratchFolder() {
        std::error_code ec;
        previous_ = fs::current_path(ec);
        const fs::path base = fs::temp_directory_path(ec);
        if (ec) return;
        std::random_device random;
        for (int n = 0; n < kMaxFolderNames && path_.empty(); ++n) {
            const fs::path candidate = base / ("kestrel-verify-" + textkit::lower(textkit::upperHex(random(), 8)));
            if (fs::create_directory(candidate, ec) && !ec) path_ = candidate;
        }
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!previous_.empty()) fs::current_path(previous_, ignored);
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const fs::path& path() const { return path_; }

private:
    fs::path previous_;
    fs::path path_;
};

// A file name as one word of a directive.
std::string fileWord(const fs::path& path) { return "\"" + path.string() + "\""; }

// Labels by buffer and name (names compare without regard to case).
class LabelIndex {
public:
    explicit LabelIndex(const std::vector<RoundTrip::Label>& labels) {
        for (const RoundTrip::Label& label : labels) index_.emplace(key(label), &label);
    }
    const RoundTrip::Label* find(const RoundTrip::Label& wanted) const {
        const auto found = index_.find(key(wanted));
        return found == index_.end() ? nullptr : found->second;
    }

private:
    static std::string key(const RoundTrip::Label& label) {
        return std::to_string(label.buffer) + ":" + textkit::lower(label.name);
    }
    std::unordered_map<std::string, const RoundTrip::Label*> index_;
};

std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) out += (out.empty() ? "" : ", ") + item;
    return out.empty() ? "(none)" : out;
}

std::string named(const RoundTrip::Label& label) {
    return "label '" + label.name + "' (buffer " + std::to_string(label.buffer) + ")";
}

}  // namespace

std::string RoundTrip::byteRun(const std::string& bytes, std::size_t limit) {
    if (bytes.empty()) return "(no bytes)";
    std::string out;
    for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
        if (i > 0) out += ' ';
        textkit::appendHexPair(out, static_cast<uint8_t>(bytes[i]));
    }
    if (bytes.size() > limit) out += " ... (" + std::to_string(bytes.size()) + " bytes)";
    return out;
}

std::vector<RoundTrip::Label> RoundTrip::labels(const FileBuffer& set) {
    // The pointers of each buffer by position, so that each label finds its
    // own with one search (a set can hold tens of thousands of both).
    std::array<std::vector<std::pair<int64_t, std::string>>, 16> pointers;
    for (const auto& pointer : set.pointers().items()) {
        const int32_t b = pointer->Offset / FileBuffer::kBufferStride;
        if (b < 0 || b > 15) continue;
        pointers[static_cast<std::size_t>(b)].emplace_back(
            pointer->Offset % FileBuffer::kBufferStride,
            textkit::lower(pointer->name) + " kind " + std::to_string(pointer->mode));
    }
    for (auto& list : pointers)
        std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    std::vector<Label> out;
    for (int b = 0; b <= 15; ++b) {
        const std::string& bytes = set.buffer(b);
        const auto& items = set.labels(b).items();
        const auto& inBuffer = pointers[static_cast<std::size_t>(b)];
        for (std::size_t i = 0; i < items.size(); ++i) {
            Label label;
            label.buffer = static_cast<uint8_t>(b);
            label.name = items[i]->name;
            const auto size = static_cast<int64_t>(bytes.size());
            const int64_t from = std::clamp<int64_t>(items[i]->Offset, 0, size);
            const int64_t to = i + 1 < items.size() ? std::clamp<int64_t>(items[i + 1]->Offset, from, size) : size;
            label.bytes = bytes.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
            auto at = std::lower_bound(inBuffer.begin(), inBuffer.end(), from,
                                       [](const auto& pointer, int64_t position) { return pointer.first < position; });
            for (; at != inBuffer.end() && at->first < to; ++at)
                label.pointers.push_back("+" + std::to_string(at->first - from) + " " + at->second);
            out.push_back(std::move(label));
        }
    }
    return out;
}

bool RoundTrip::reportDifference(const std::vector<Label>& compiled, const std::vector<Label>& again) {
    Control& engine = *shared_.gEngine;
    FileHandle& files = *shared_.gFiles;
    const LabelIndex compiledIndex(compiled);
    const LabelIndex againIndex(again);
    for (const Label& label : compiled) {
        const Label* other = againIndex.find(label);
        if (other == nullptr) {
            engine.reportError(named(label) + " is missing after the round trip");
            files.diagnostic("  compiled:   " + byteRun(label.bytes));
            return true;
        }
        if (other->bytes != label.bytes) {
            engine.reportError(named(label) + " differs after the round trip");
            files.diagnostic("  compiled:   " + byteRun(label.bytes));
            files.diagnostic("  recompiled: " + byteRun(other->bytes));
            return true;
        }
        if (other->pointers != label.pointers) {
            engine.reportError(named(label) + " has other pointers after the round trip");
            files.diagnostic("  compiled:   " + joined(label.pointers));
            files.diagnostic("  recompiled: " + joined(other->pointers));
            return true;
        }
    }
    for (const Label& label : again) {
        if (compiledIndex.find(label) == nullptr) {
            engine.reportError(named(label) + " appears only after the round trip");
            files.diagnostic("  recompiled: " + byteRun(label.bytes));
            return true;
        }
    }
    return false;
}

bool RoundTrip::verify(const std::string& codeset, const std::string& script) {
    Control& engine = *shared_.gEngine;
    if (!TableExchange::isCodesetName(codeset)) {
        engine.reportError("'" + codeset + "' is no codeset name");
        return false;
    }
    if (script.find_first_of("\";") != std::string::npos) {
        engine.reportError("a script name with '\"' or ';' cannot be compiled from a code line");
        return false;
    }
    if (shared_.platform.resolveExisting(script).empty()) {
        engine.reportError("cannot open script '" + script + "'");
        return false;
    }
    ScratchFolder scratch;
    if (scratch.path().empty()) {
        engine.reportError("no temporary folder can be made for the round trip");
        return false;
    }
    const int before = engine.errorCount();
    engine.pending("#boot " + codeset);
    if (engine.errorCount() > before) return false;
    engine.pending("#include " + fileWord(script));
    // Problems found from here on concern the whole script, not one line.
    engine.setInputSource(script, 0);
    struct SourceGuard {
        Control& engine;
        ~SourceGuard() { engine.setInputSource("<command line>", 0); }
    } source{engine};
    if (engine.errorCount() > before) {
        engine.reportError("the script does not compile; no round trip");
        return false;
    }
    const std::vector<Label> compiled = labels(*shared_.gBuffers);
    // The files in between are named relative to the scratch folder, so
    // that no path with blanks or capitals passes through a code line.
    std::error_code ec;
    fs::current_path(scratch.path(), ec);
    if (ec) {
        engine.reportError("cannot enter the temporary folder " + scratch.path().string());
        return false;
    }
    engine.pending("#kapoke decompiled.buf");
    if (engine.errorCount() > before) return false;
    engine.pending("#kableewy;#autopop off");
    engine.pending("#decode decompiled.buf");
    engine.pending("#kableewy");
    if (engine.errorCount() > before) return false;
    fs::current_path(scratch.path(), ec);
    // Errors of the decompiled script are part of the answer: its labels
    // are compared all the same.
    engine.pending("#include decompiled.ksc");
    const std::vector<Label> again = labels(*shared_.gBuffers);
    const bool differs = reportDifference(compiled, again);
    if (!differs && engine.errorCount() > before)
        engine.reportError("the decompiled script does not compile without errors");
    if (engine.errorCount() > before) return false;
    shared_.gFiles->echo("round trip holds");
    return true;
}

}  // namespace kestrel
