#pragma once
// One golden case: a folder with the code lines to run (`run`), its inputs
// and the expected outputs. Running it copies the folder to a scratch
// directory, runs every line through a fresh engine on a fake platform there,
// and describes what came out in the forms of the expectation files.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kestrel::golden {

class GoldenCase {
public:
    // Expectation files, in the order they are compared and reported.
    static const std::vector<std::string>& expectationNames();  // "log", "bytes", ... (file expected.<name>)
    // Files of a case folder that steer the runner and are not copied.
    static bool isControlFile(const std::string& name);

    // `folder`: the case; `repository`: the source tree (codesets/, examples/).
    GoldenCase(std::filesystem::path folder, std::filesystem::path repository);

    const std::string& name() const { return name_; }
    const std::filesystem::path& folder() const { return folder_; }
    // The text of the case's `issue` file: a known disagreement with the
    // intended behaviour (or a part not finished yet); "" when there is none.
    std::string issue() const;
    // Words of the case's `tags` file (for example "roundtrip"), for listing
    // and selecting cases.
    std::vector<std::string> tags() const;

    // Runs the case. Results are keyed by expectation name ("status" holds
    // "0\n", "1\n" or "2\n"). `keepScratch` leaves the scratch folder behind.
    std::map<std::string, std::string> run(bool keepScratch, std::string& scratchNote) const;

    // The expectation text, or false when its file does not exist.
    bool expected(const std::string& which, std::string& text) const;
    void writeExpected(const std::string& which, const std::string& text) const;

private:
    std::string readControl(const std::string& file) const;
    std::filesystem::path prepareWork(const std::filesystem::path& work) const;

    std::filesystem::path folder_;
    std::filesystem::path repository_;
    std::string name_;
};

}  // namespace kestrel::golden
