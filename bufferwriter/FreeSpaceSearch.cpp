#include "bufferwriter/FreeSpaceSearch.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

namespace kestrel {

namespace {

// A maximal run of filler bytes [begin, end), clipped at the scan's first byte.
struct Run {
    int64_t begin;
    int64_t end;
};

// Hands out, in order, the filler runs of at least `minimum` bytes, reading
// the image chunk by chunk as far as the next run needs.
class RunScanner {
public:
    RunScanner(const FreeSpaceSearch::Reader& read, int64_t from, int64_t length, uint8_t filler, int64_t minimum)
        : read_(read),
          next_(from),
          length_(length),
          filler_(static_cast<char>(filler)),
          minimum_(minimum),
          chunk_(FreeSpaceSearch::kChunk, '\0') {}

    std::optional<Run> nextRun() {
        for (;;) {
            if (at_ == have_) {
                if (!refill()) {
                    // The image ends inside an open run.
                    if (open_ && next_ - openBegin_ >= minimum_) {
                        open_ = false;
                        return Run{openBegin_, next_};
                    }
                    open_ = false;
                    return std::nullopt;
                }
            }
            const char* data = chunk_.data();
            if (!open_) {
                const void* hit = std::memchr(data + at_, filler_, have_ - at_);
                if (!hit) {
                    at_ = have_;
                    continue;
                }
                at_ = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
                open_ = true;
                openBegin_ = chunkStart_ + static_cast<int64_t>(at_);
            }
            at_ = skipFiller(data, at_, have_);
            if (at_ < have_) {
                open_ = false;
                const int64_t end = chunkStart_ + static_cast<int64_t>(at_);
                if (end - openBegin_ >= minimum_) return Run{openBegin_, end};
            }
        }
    }

private:
    // First position at or after `from` that does not hold the filler.
    std::size_t skipFiller(const char* data, std::size_t from, std::size_t to) const {
        uint64_t pattern;
        std::memset(&pattern, static_cast<unsigned char>(filler_), sizeof pattern);
        while (from < to && (from & 7) != 0) {
            if (data[from] != filler_) return from;
            ++from;
        }
        while (from + 8 <= to) {
            uint64_t word;
            std::memcpy(&word, data + from, sizeof word);
            if (word != pattern) break;
            from += 8;
        }
        while (from < to && data[from] == filler_) ++from;
        return from;
    }

    bool refill() {
        if (next_ >= length_) return false;
        const auto want =
            static_cast<std::size_t>(std::min<int64_t>(length_ - next_, static_cast<int64_t>(chunk_.size())));
        const std::size_t got = read_(next_, chunk_.data(), want);
        if (got == 0) {
            length_ = next_;  // the image is shorter than it said
            return false;
        }
        chunkStart_ = next_;
        next_ += static_cast<int64_t>(got);
        at_ = 0;
        have_ = got;
        return true;
    }

    const FreeSpaceSearch::Reader& read_;
    int64_t next_;  // image position of the next chunk
    int64_t length_;
    char filler_;
    int64_t minimum_;
    std::string chunk_;
    int64_t chunkStart_ = 0;
    std::size_t at_ = 0;
    std::size_t have_ = 0;
    bool open_ = false;
    int64_t openBegin_ = 0;
};

}  // namespace

std::vector<int64_t> FreeSpaceSearch::find(const Request& request, int64_t length, const Reader& read) {
    std::vector<int64_t> found;
    if (request.probe <= 0 || request.start < 0 || request.start > length) return found;
    // Bytes outside the image read as spaces, which are never filler.
    RunScanner scanner(read, std::max<int64_t>(request.start - 1, 0), length, request.filler, request.probe);
    std::optional<Run> run = scanner.nextRun();
    for (int64_t off = request.start; off <= length && run; off += kStep) {
        const int64_t windowBegin = off - 1;
        // A run that leaves less than a probe inside this window cannot hold
        // a match here or in any later window.
        while (run && run->end < windowBegin + request.probe) run = scanner.nextRun();
        if (!run) break;
        const int64_t match = std::max(run->begin, windowBegin);
        if (match + request.probe > windowBegin + kWindow) continue;
        const int64_t candidate = match + 1;
        // The N bytes from candidate + 1 lie in the run that holds the match
        // or not at all, because runs are maximal.
        if (request.needed > 0 && run->end - (candidate + 1) < request.needed) continue;
        if (!found.empty() && found.back() == candidate) continue;
        found.push_back(candidate);
        if (found.size() == kMaxLocations) break;
    }
    return found;
}

}  // namespace kestrel
