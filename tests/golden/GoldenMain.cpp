// golden_runner: runs the golden cases (tests/golden/cases/<name>/) and
// compares what each produces with its expected.* files.
//
//   golden_runner                 run every case
//   golden_runner name ...        run these cases only
//   golden_runner --update [name ...]   rewrite the expectations instead
//   golden_runner --list          list the cases, their tags and known issues
//   golden_runner --tag roundtrip run the cases tagged roundtrip only
// More in tests/golden/README.md.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "GoldenCase.h"
#include "TextDiff.h"

namespace fs = std::filesystem;
using kestrel::golden::GoldenCase;
using kestrel::golden::TextDiff;

namespace {

struct Options {
    bool update = false;
    bool strict = false;
    bool list = false;
    bool keep = false;
    fs::path cases;
    std::vector<std::string> only;
    std::string tag;
};

void usage() {
    std::printf(
        "Usage: golden_runner [--update] [--strict] [--keep] [--list] [--tag WORD] [--cases DIR] [case ...]\n"
        "  --update   rewrite the expected.* files of the cases from what they produce now\n"
        "             (cases with an issue file only when named)\n"
        "  --strict   cases marked with an 'issue' file fail like the others\n"
        "  --keep     keep each case's scratch folder and print where it is\n"
        "  --list     list the cases (with their tags and issue notes) and run nothing\n"
        "  --tag      only the cases whose tags file holds this word\n"
        "  --cases    the folder of cases (default: tests/golden/cases of the source tree)\n");
}

// The source tree: the parent of KESTREL_TEST_DATA (the tests folder) when
// CTest sets it, else the tree this runner was built from.
fs::path repository() {
    if (const char* data = std::getenv("KESTREL_TEST_DATA"); data && *data) {
        fs::path tests = fs::path(data).lexically_normal();
        if (!tests.has_filename()) tests = tests.parent_path();
        return tests.parent_path();
    }
    return fs::path(KESTREL_SOURCE_DIR);
}

std::vector<GoldenCase> findCases(const Options& options) {
    std::vector<fs::path> folders;
    for (const auto& entry : fs::directory_iterator(options.cases))
        if (entry.is_directory() && fs::is_regular_file(entry.path() / "run")) folders.push_back(entry.path());
    std::sort(folders.begin(), folders.end());
    std::vector<GoldenCase> cases;
    for (const fs::path& folder : folders) {
        const std::string name = folder.filename().string();
        if (!options.only.empty() && std::find(options.only.begin(), options.only.end(), name) == options.only.end())
            continue;
        GoldenCase goldenCase(folder, repository());
        if (!options.tag.empty()) {
            const std::vector<std::string> tags = goldenCase.tags();
            if (std::find(tags.begin(), tags.end(), options.tag) == tags.end()) continue;
        }
        cases.push_back(std::move(goldenCase));
    }
    return cases;
}

// A case without expected.status, .log and .bytes gets the usual set (and
// the files it has already); otherwise exactly the files it has are rewritten
// (delete one to stop checking it, create an empty one to start).
void update(const GoldenCase& goldenCase, const std::map<std::string, std::string>& result) {
    bool fresh = true;
    std::string ignored;
    for (const char* which : {"status", "log", "bytes"})
        if (goldenCase.expected(which, ignored)) fresh = false;
    std::string written;
    for (const std::string& which : GoldenCase::expectationNames()) {
        const std::string& text = result.at(which);
        bool write = goldenCase.expected(which, ignored);
        if (fresh) {
            write = which == "status" || which == "log" || which == "bytes" ||
                    ((which == "files" || which == "boxes") && !text.empty());
        }
        if (!write) continue;
        goldenCase.writeExpected(which, text);
        written += " expected." + which;
    }
    std::printf("updated %s:%s\n", goldenCase.name().c_str(), written.c_str());
}

// The differences of one case, "" when it matches. A missing expected.status
// means status 0; other missing expectation files are not checked.
std::string compare(const GoldenCase& goldenCase, const std::map<std::string, std::string>& result) {
    std::string report;
    for (const std::string& which : GoldenCase::expectationNames()) {
        std::string want;
        if (!goldenCase.expected(which, want)) {
            if (which != "status") continue;
            want = "0\n";
        }
        const std::string& got = result.at(which);
        report += TextDiff::unified(want, got, goldenCase.name() + "/expected." + which, "actual " + which);
    }
    return report;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    options.cases = repository() / "tests" / "golden" / "cases";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--update") {
            options.update = true;
        } else if (arg == "--strict") {
            options.strict = true;
        } else if (arg == "--list") {
            options.list = true;
        } else if (arg == "--keep") {
            options.keep = true;
        } else if (arg == "--tag" && i + 1 < argc) {
            options.tag = argv[++i];
        } else if (arg == "--cases" && i + 1 < argc) {
            options.cases = argv[++i];
        } else if (arg == "--help" || arg == "-h") {
            usage();
            return 0;
        } else if (arg.rfind("--", 0) == 0) {
            std::fprintf(stderr, "golden_runner: unknown option '%s'\n", arg.c_str());
            usage();
            return 2;
        } else {
            options.only.push_back(arg);
        }
    }

    std::vector<GoldenCase> cases;
    try {
        options.cases = fs::absolute(options.cases);
        cases = findCases(options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "golden_runner: %s\n", error.what());
        return 2;
    }
    if (cases.empty()) {
        std::fprintf(stderr, "golden_runner: no cases found in %s\n", options.cases.string().c_str());
        return 2;
    }
    if (options.list) {
        for (const GoldenCase& goldenCase : cases) {
            std::string line = goldenCase.name();
            for (const std::string& tag : goldenCase.tags()) line += " [" + tag + "]";
            const std::string issue = goldenCase.issue();
            if (!issue.empty()) line += "  issue: " + issue;
            std::printf("%s\n", line.c_str());
        }
        return 0;
    }

    int passed = 0;
    int failed = 0;
    std::vector<std::string> knownIssues;
    std::vector<std::string> fixedIssues;
    for (const GoldenCase& goldenCase : cases) {
        std::map<std::string, std::string> result;
        std::string note;
        try {
            result = goldenCase.run(options.keep, note);
        } catch (const std::exception& error) {
            std::printf("FAIL %s: the runner could not run it: %s\n", goldenCase.name().c_str(), error.what());
            ++failed;
            continue;
        }
        if (!note.empty()) std::printf("     %s: %s\n", goldenCase.name().c_str(), note.c_str());
        if (options.update) {
            // The expectations of a case with a known issue hold the intended
            // behaviour, written by hand: rewrite them only when asked by name.
            if (!goldenCase.issue().empty() && options.only.empty())
                std::printf("kept %s: it has an issue file (name it to rewrite it)\n", goldenCase.name().c_str());
            else
                update(goldenCase, result);
            continue;
        }
        const std::string differences = compare(goldenCase, result);
        const std::string issue = goldenCase.issue();
        if (differences.empty()) {
            ++passed;
            std::printf("ok   %s\n", goldenCase.name().c_str());
            if (!issue.empty()) fixedIssues.push_back(goldenCase.name());
        } else if (!issue.empty() && !options.strict) {
            knownIssues.push_back(goldenCase.name() + ": " + issue);
            std::printf("issue %s (known: %s)\n%s", goldenCase.name().c_str(), issue.c_str(), differences.c_str());
        } else {
            ++failed;
            std::printf("FAIL %s\n%s", goldenCase.name().c_str(), differences.c_str());
        }
    }
    if (options.update) return failed > 0 ? 1 : 0;

    std::printf("\n%d passed, %d failed, %zu known issues\n", passed, failed, knownIssues.size());
    for (const std::string& issue : knownIssues) std::printf("  known issue: %s\n", issue.c_str());
    for (const std::string& name : fixedIssues)
        std::printf("  %s passes although it is marked with an issue: check it and remove its issue file\n",
                    name.c_str());
    return failed > 0 ? 1 : 0;
}
