#pragma once
// The images burned during one top-level code line (one console line, the
// command line, one line of standard input, with every script it runs). All
// burns of an image in the line share one working copy, which replaces the
// image when the line ends: a script of many burns copies the image once and
// changes it all at once or not at all. When any burn of the line fails, no
// image of the line changes.
#include <memory>
#include <string>
#include <vector>

#include "buffers/SymbolTable.h"

namespace kestrel {

class BurnPlan;
class ImageWorkingCopy;
class Platform;

class LineImages {
public:
    explicit LineImages(Platform& platform);
    ~LineImages();

    // The working copy of `image` (a resolved, existing name), made on its
    // first burn in the line. BurnError / FileError as ImageWorkingCopy.
    ImageWorkingCopy& open(const std::string& image);
    // The working copy's path when `image` is being burned in this line,
    // else "": reads of the image within the line see the burned bytes.
    std::string workingCopyOf(const std::string& image) const;

    // Labels of the line's burns go into `symbols` when the line's images
    // are replaced; nullptr (the default) collects nothing.
    void collectSymbols(SymbolTable* symbols) { symbols_ = symbols; }
    // A burn of the line was carried out by `plan`, under the autobank
    // setting `autobank`.
    void burned(const BurnPlan& plan, bool autobank);

    // A burn of the line failed: the line ends without changing any image.
    void markFailed() { failed_ = true; }
    bool failed() const { return failed_; }
    bool empty() const { return copies_.empty(); }

    struct Outcome {
        std::vector<std::string> kept;      // images left unchanged because a burn failed
        std::vector<std::string> problems;  // images that could not be replaced
    };
    // Ends the line: replaces every image by its working copy, or none when a
    // burn failed. Afterwards no working copy is left.
    Outcome finish();
    // Ends the line without replacing anything (a critical error).
    void abandon();

private:
    Platform& platform_;
    std::vector<std::unique_ptr<ImageWorkingCopy>> copies_;
    bool failed_ = false;
    SymbolTable* symbols_ = nullptr;
    SymbolTable lineSymbols_;  // the line's burns, until its images are replaced
};

}  // namespace kestrel
