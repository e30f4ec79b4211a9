#include "engine/TableExchange.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/Control.h"
#include "engine/Shared.h"
#include "engine/TableFileReader.h"
#include "engine/TableRecorder.h"
#include "platform/Platform.h"
#include "services/FileHandle.h"
#include "services/OutputFile.h"
#include "text/KestrelError.h"

namespace kestrel {

bool TableExchange::isCodesetName(const std::string& name) {
    return !name.empty() && name.find_first_of(" \t;'\"#=") == std::string::npos;
}

bool TableExchange::writeOutput(const std::string& out, const std::string& path, const std::string& content) {
    Control& engine = *shared_.gEngine;
    if (!OutputFile::mayReplace(shared_.platform, path, out)) {
        engine.reportError("'" + out + "' exists and was not replaced (answer Yes or use --yes)");
        return false;
    }
    try {
        OutputFile::write(shared_.platform, path, content);
    } catch (const KestrelError& error) {
        engine.reportError(error.what());
        return false;
    }
    return true;
}

bool TableExchange::exportTable(const std::string& codeset, const std::string& out) {
    Control& engine = *shared_.gEngine;
    if (!isCodesetName(codeset)) {
        engine.reportError("'" + codeset + "' is no codeset name");
        return false;
    }
    // Headers may change the current folder; the output is named from the one the run started in.
    std::error_code ec;
    const std::string path = std::filesystem::absolute(shared_.platform.nativePath(out), ec).string();
    // The recorder sees every definition of the headers; its reports name
    // the header line that made the entry.
    auto* recorder = new TableRecorder(shared_.gLetters.release(),
                                       [&engine](const std::string& message) { engine.reportError(message); });
    shared_.gLetters.reset(recorder);
    const int before = engine.errorCount();
    const char separator = shared_.platform.separator();
    for (const std::string& folder : {std::string("base"), codeset})
        engine.pending("#include " + folder + separator + "includes.ksh");
    if (shared_.gLetters.get() != recorder) {
        engine.reportError("the headers of '" + codeset + "' replaced the character table while it was read");
        return false;
    }
    if (engine.errorCount() > before) {
        shared_.gFiles->echo("TABLE NOT WRITTEN: the headers of '" + codeset + "' reported errors");
        return false;
    }
    const CharacterTable& table = recorder->table();
    if (!writeOutput(out, ec ? out : path, table.tableFile())) return false;
    shared_.gFiles->echo("TABLE WRITTEN: " + out + ", " + std::to_string(table.entries.size()) + " entries");
    return true;
}

bool TableExchange::importTable(const std::string& in, const std::string& out) {
    Control& engine = *shared_.gEngine;
    const std::string existing = shared_.platform.resolveExisting(in);
    std::error_code ec;
    if (existing.empty() || std::filesystem::is_directory(existing, ec)) {
        engine.reportError("cannot open table file '" + in + "'");
        return false;
    }
    std::ifstream file(existing, std::ios::binary);
    const std::string content(std::istreambuf_iterator<char>(file), {});
    if (!file && !file.eof()) {
        engine.reportError("cannot read table file '" + in + "'");
        return false;
    }
    const TableFileReader reader(content);
    for (const TableFileReader::Problem& problem : reader.problems()) {
        engine.setInputSource(in, problem.line);
        engine.reportError(problem.message);
    }
    engine.setInputSource("<command line>", 0);
    if (!reader.problems().empty()) return false;
    const CharacterTable& table = reader.table();
    if (!writeOutput(out, shared_.platform.nativePath(out),
                     "' Character table read from a table file by kestrel --table-import.\r\n" + table.header()))
        return false;
    shared_.gFiles->echo("HEADER WRITTEN: " + out + ", " + std::to_string(table.entries.size()) + " entries");
    return true;
}

}  // namespace kestrel
