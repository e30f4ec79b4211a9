#include "GoldenCase.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <system_error>
#include <utility>

#include "Snapshot.h"
#include "TextDiff.h"
#include "buffers/FileBuffer.h"
#include "engine/Control.h"
#include "engine/Shared.h"
#include "support/CurrentDirectory.h"
#include "support/FakePlatform.h"
#include "support/RecordingConsole.h"
#include "text/KestrelError.h"
#include "text/TextKit.h"

namespace kestrel::golden {

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Removes the scratch folder of a run, however the run ends, unless kept.
class ScratchFolder {
public:
    ScratchFolder(fs::path path, bool keep) : path_(std::move(path)), keep_(keep) {}
    ~ScratchFolder() {
        std::error_code ignored;
        if (!keep_) fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

private:
    fs::path path_;
    bool keep_;
};

// Absolute paths of the scratch folders become fixed words, so that
// expectations do not depend on where the run happened.
class PathNames {
public:
    void add(const fs::path& path, const std::string& word) {
        for (const std::string& form : {path.string(), path.generic_string()}) pairs_.emplace_back(form, word);
    }
    std::string apply(std::string text) const {
        for (const auto& [path, word] : pairs_) textkit::replaceAll(text, path, word);
        return text;
    }

private:
    // Applied in the order added: folders inside the scratch folder come first.
    std::vector<std::pair<std::string, std::string>> pairs_;
};

// Lines with the scratch paths replaced. An underline rule (the dashes that
// follow an underlined echo, after the log's "|" bars and "/") is as long as
// the text above it, so it is made again for the replaced text.
std::vector<std::string> normalise(const std::vector<std::string>& raw, const PathNames& names) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const std::string& line = raw[i];
        const std::size_t bars = line.find_first_not_of('|');
        if (i > 0 && bars != std::string::npos) {
            const std::size_t slash = line[bars] == '/' ? bars + 1 : bars;
            const bool dashes = line.find_first_not_of('-', slash) == std::string::npos;
            const std::string& above = raw[i - 1];
            const bool sameBars = above.size() > bars && above.compare(0, bars, line, 0, bars) == 0;
            if (dashes && sameBars && line.size() - slash + 1 == above.size() - bars) {
                const std::size_t length = out.back().size() - bars;
                out.push_back(line.substr(0, slash) + std::string(length > 0 ? length - 1 : 0, '-'));
                continue;
            }
        }
        out.push_back(names.apply(line));
    }
    for (std::string& line : out) line = Snapshot::printable(line);
    return out;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
}

// Answers for the platform's dialogs: "yes", "no", "input <text>",
// "cancel" (an input box closed without an answer), "file <name>".
void loadAnswers(const std::string& text, test::FakePlatform& platform) {
    for (const std::string& line : TextDiff::lines(text)) {
        const std::size_t space = line.find(' ');
        const std::string word = line.substr(0, space);
        const std::string rest = space == std::string::npos ? std::string() : line.substr(space + 1);
        if (word == "yes")
            platform.yesNoAnswers.push_back(true);
        else if (word == "no")
            platform.yesNoAnswers.push_back(false);
        else if (word == "input")
            platform.inputAnswers.push_back(rest);
        else if (word == "cancel")
            platform.inputAnswers.push_back(std::nullopt);
        else if (word == "file")
            platform.fileAnswers.push_back(rest);
    }
}

std::string randomTag() {
    std::random_device device;
    std::uniform_int_distribution<unsigned> digits(0, 0xFFFFFF);
    char tag[8];
    std::snprintf(tag, sizeof tag, "%06x", digits(device));
    return tag;
}

}  // namespace

const std::vector<std::string>& GoldenCase::expectationNames() {
    static const std::vector<std::string> names = {"status", "log", "bytes", "files", "boxes", "logfile"};
    return names;
}

bool GoldenCase::isControlFile(const std::string& name) {
    return name == "run" || name == "answers" || name == "sources" || name == "issue" || name == "tags" ||
           name.rfind("expected.", 0) == 0;
}

GoldenCase::GoldenCase(fs::path folder, fs::path repository)
    : folder_(std::move(folder)), repository_(std::move(repository)), name_(folder_.filename().string()) {}

std::string GoldenCase::readControl(const std::string& file) const {
    std::error_code error;
    if (!fs::is_regular_file(folder_ / file, error)) return "";
    return readFile(folder_ / file);
}

std::string GoldenCase::issue() const {
    std::string text = readControl("issue");
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

std::vector<std::string> GoldenCase::tags() const {
    std::vector<std::string> words;
    std::string word;
    for (const char c : readControl("tags") + " ") {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

bool GoldenCase::expected(const std::string& which, std::string& text) const {
    const fs::path path = folder_ / ("expected." + which);
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return false;
    text = readFile(path);
    return true;
}

void GoldenCase::writeExpected(const std::string& which, const std::string& text) const {
    std::ofstream out(folder_ / ("expected." + which), std::ios::binary | std::ios::trunc);
    out << text;
}

// Copies the inputs and the files named in `sources` (paths in the source
// tree, copied beside the others). The program directory is the work folder
// when the case brings codeset folders of its own, else the bundled codesets.
fs::path GoldenCase::prepareWork(const fs::path& work) const {
    for (const auto& entry : fs::directory_iterator(folder_)) {
        const std::string name = entry.path().filename().string();
        if (isControlFile(name)) continue;
        fs::copy(entry.path(), work / name, fs::copy_options::recursive);
    }
    for (const std::string& source : TextDiff::lines(readControl("sources"))) {
        if (source.empty()) continue;
        const fs::path from = repository_ / source;
        fs::copy_file(from, work / from.filename(), fs::copy_options::overwrite_existing);
    }
    for (const auto& entry : fs::directory_iterator(work)) {
        std::error_code error;
        if (entry.is_directory(error) && fs::is_regular_file(entry.path() / "includes.ksh", error)) return work;
    }
    return repository_ / "codesets";
}

std::map<std::string, std::string> GoldenCase::run(bool keepScratch, std::string& scratchNote) const {
    fs::path scratch = fs::temp_directory_path() / ("kestrel-golden-" + name_ + "-" + randomTag());
    fs::create_directories(scratch / "work");
    fs::create_directories(scratch / "log");
    scratch = fs::canonical(scratch);
    ScratchFolder cleanup(scratch, keepScratch);
    if (keepScratch) scratchNote = "scratch folder kept: " + scratch.string();
    const fs::path work = scratch / "work";
    const fs::path logFolder = scratch / "log";
    const fs::path home = prepareWork(work);

    PathNames names;
    names.add(work, "<work>");
    if (home != work) names.add(fs::canonical(home), "<home>");
    names.add(logFolder, "<log>");
    names.add(scratch, "<scratch>");

    const Snapshot::Tree before = Snapshot::readTree(work);
    test::FakePlatform platform(home.string());
    platform.logDir = logFolder.string();
    loadAnswers(readControl("answers"), platform);
    test::RecordingConsole console;

    std::map<std::string, std::string> result;
    for (const std::string& which : expectationNames()) result[which] = "";
    int status = 0;
    {
        test::CurrentDirectory inWork(work);
        std::unique_ptr<Shared> shared;
        try {
            shared = std::make_unique<Shared>(platform, &console);
            for (const std::string& line : TextDiff::lines(readControl("run")))
                if (!line.empty()) shared->gEngine->pending(line);
            status = shared->gEngine->errorCount() > 0 ? 1 : 0;
        } catch (const ProgramExit& exit) {
            status = exit.status;
        } catch (const std::exception& error) {
            // What the program's main reports before it exits with 2.
            console.lines.push_back(std::string("kestrel: ") + error.what());
            status = 2;
        }
        if (shared) result["bytes"] = Snapshot::buffers(*shared->gBuffers);
        shared.reset();  // closes every file and the log
    }
    result["status"] = std::to_string(status) + "\n";

    result["log"] = joinLines(normalise(console.lines, names));

    std::vector<std::string> boxes;
    for (const std::string& box : platform.boxes) boxes.push_back(Snapshot::printable(names.apply(box)));
    for (const std::string& target : platform.opened)
        boxes.push_back("open|" + Snapshot::printable(names.apply(target)));
    result["boxes"] = joinLines(boxes);

    // The log file without its first line, which carries the time of the run.
    std::string logText;
    for (const auto& entry : fs::directory_iterator(logFolder)) logText += readFile(entry.path());
    std::vector<std::string> logLines = TextDiff::lines(logText);
    if (!logLines.empty()) logLines.erase(logLines.begin());
    result["logfile"] = joinLines(normalise(logLines, names));

    result["files"] = Snapshot::changedFiles(before, Snapshot::readTree(work));
    return result;
}

}  // namespace kestrel::golden
