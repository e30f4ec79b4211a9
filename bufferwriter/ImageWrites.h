#pragma once
// The bytes a burn puts into an image, as spans by address, without the image:
// what a patch is made of. A later write wins where writes overlap, as the
// burn writes its labels one after the other into the same file.
//
// walk() compares the spans with the original image and reports the image
// after the burn as maximal runs: bytes the burn leaves as they were, bytes
// it changes, and the zero bytes that appear between the original end and a
// write beyond it (a file written past its end grows with zeros).
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace kestrel {

class BurnPlan;
class FileBuffer;

class ImageWrites {
public:
    enum class Run {
        Same,     // the original's bytes
        Changed,  // bytes the burn writes over the original or past its end
        Grown,    // zeros past the original's end that no write covers
    };
    // `bytes` holds the run's bytes for Changed runs and is empty otherwise.
    using Visitor = std::function<void(Run run, int64_t address, int64_t length, std::string_view bytes)>;

    // Puts `bytes` at `address` (not negative) over whatever was written there.
    void write(int64_t address, std::string_view bytes);
    // Span start -> bytes; spans do not overlap.
    const std::map<int64_t, std::string>& spans() const { return spans_; }
    bool empty() const { return spans_.empty(); }
    // One past the last byte written; 0 when nothing is.
    int64_t end() const;
    // The size of the image after the burn: burns never shorten it.
    int64_t targetSize(int64_t sourceSize) const;

    // Reports the image that results from writing the spans into `source`,
    // from its first byte to its last, in address order; runs of one kind
    // that meet are reported as one.
    void walk(std::string_view source, const Visitor& visit) const;

    // What FileBuffer::applyBurn writes for this plan, label by label: the
    // label's bytes with the planned pointer values in place, or the fill
    // byte. The set is not changed. BurnError for a plan the burn refuses
    // (hard problems, a pointer without an address).
    static ImageWrites ofBurn(const FileBuffer& set, const BurnPlan& plan);

private:
    std::map<int64_t, std::string> spans_;
};

}  // namespace kestrel
