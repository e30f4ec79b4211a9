#include "platform/posix/DesktopFiles.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>

#include "text/TextKit.h"

extern char** environ;

namespace kestrel {

namespace fs = std::filesystem;

namespace {

std::string environmentOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : fallback;
}

std::string xmlEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// The "string" value escapes of desktop entries.
std::string entryEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    return text.str();
}

// Writes beside the target and renames, so a reader never sees half a file.
bool replaceFile(const std::string& path, const std::string& content) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        if (!out) {
            fs::remove(temporary, ec);
            return false;
        }
    }
    fs::rename(temporary, path, ec);
    if (ec) fs::remove(temporary, ec);
    return !ec;
}

// Runs a tool with an argument vector and waits; its output goes nowhere.
// Returns -1 when it could not be started.
int runTool(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

const char* kindWord(FileTypeSet::Kind kind) {
    switch (kind) {
    case FileTypeSet::Kind::source: return "source";
    case FileTypeSet::Kind::script: return "script";
    case FileTypeSet::Kind::header: return "header";
    case FileTypeSet::Kind::buffer: return "buffer";
    }
    return "source";
}

std::vector<std::string> splitList(const std::string& value) {
    std::vector<std::string> items;
    std::stringstream in(value);
    std::string item;
    while (std::getline(in, item, ';'))
        if (!item.empty()) items.push_back(item);
    return items;
}

}  // namespace

DesktopFiles::DesktopFiles(std::string dataHome, std::string configHome)
    : dataHome_(std::move(dataHome)), configHome_(std::move(configHome)) {}

DesktopFiles DesktopFiles::fromEnvironment() {
    const std::string home = environmentOr("HOME", "/");
    return DesktopFiles(environmentOr("XDG_DATA_HOME", home + "/.local/share"),
                        environmentOr("XDG_CONFIG_HOME", home + "/.config"));
}

std::string DesktopFiles::mimeType(const std::string& codeset, FileTypeSet::Kind kind) {
    if (kind == FileTypeSet::Kind::buffer) return "application/x-kestrel-buffer";
    const std::string family = kind == FileTypeSet::Kind::source ? "application" : "text";
    return family + "/x-kestrel-" + textkit::lower(codeset) + "-" + kindWord(kind);
}

std::string DesktopFiles::packagePath(const std::string& codeset) const {
    return dataHome_ + "/mime/packages/kestrel-" + textkit::lower(codeset) + ".xml";
}

std::string DesktopFiles::desktopPath(const std::string& name) const { return dataHome_ + "/applications/" + name; }

std::string DesktopFiles::mimeappsPath() const { return configHome_ + "/mimeapps.list"; }

std::string DesktopFiles::verbDesktopName(const std::string& codeset, const std::string& verb) {
    std::string name = "kestrel-" + textkit::lower(codeset) + "-";
    // Desktop file ids allow letters, digits, "-" and "_" (a "." would read as a path).
    for (char c : textkit::lower(verb)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name + ".desktop";
}

std::string DesktopFiles::execValue(const std::vector<std::string>& argv) {
    static const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string line;
    for (const auto& arg : argv) {
        if (!line.empty()) line += ' ';
        if (arg == "%f") {
            line += arg;
            continue;
        }
        std::string word;
        for (char c : arg) word += c == '%' ? std::string("%%") : std::string(1, c);
        if (!word.empty() && word.find_first_of(reserved) == std::string::npos) {
            line += word;
            continue;
        }
        line += '"';
        for (char c : word) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') line += '\\';
            line += c;
        }
        line += '"';
    }
    return entryEscape(line);
}

std::string DesktopFiles::packageXml(const FileTypeSet& types) const {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    for (const auto& type : types.types) {
        xml += "  <mime-type type=\"" + mimeType(types.codeset, type.kind) + "\">\n";
        xml += "    <comment>" + xmlEscape(type.description) + "</comment>\n";
        if (type.kind == FileTypeSet::Kind::script || type.kind == FileTypeSet::Kind::header)
            xml += "    <sub-class-of type=\"text/plain\"/>\n";
        for (const auto& glob : type.globs) xml += "    <glob pattern=\"" + xmlEscape(glob) + "\"/>\n";
        xml += "  </mime-type>\n";
    }
    return xml + "</mime-info>\n";
}

std::vector<std::string> DesktopFiles::publish(const FileTypeSet& types) {
    std::vector<std::string> notes;
    if (!replaceFile(packagePath(types.codeset), packageXml(types)))
        notes.push_back("cannot write " + packagePath(types.codeset));
    std::vector<std::string> ourTypes;
    std::vector<std::pair<std::string, std::string>> added;
    std::vector<std::pair<std::string, std::string>> defaults;
    for (const auto& type : types.types) {
        const std::string mime = mimeType(types.codeset, type.kind);
        ourTypes.push_back(mime);
        for (const auto& verb : type.verbs) {
            const std::string name = verbDesktopName(types.codeset, verb.id);
            std::string entry = "[Desktop Entry]\nType=Application\n";
            entry += "Name=" + entryEscape(verb.caption) + "\n";
            entry += "Comment=" + entryEscape("Kestrel, codeset " + types.codeset) + "\n";
            entry += "Exec=" + execValue(verb.argv) + "\n";
            entry += "MimeType=" + mime + ";\n";
            entry += "NoDisplay=true\nTerminal=false\n";
            if (!replaceFile(desktopPath(name), entry)) notes.push_back("cannot write " + desktopPath(name));
            added.emplace_back(mime, name);
        }
        if (!type.opener.empty()) {
            std::string entry =
                "[Desktop Entry]\nType=Application\nName=Plover\n"
                "Comment=Place buffer files in an image\n";
            entry += "Exec=" + execValue(type.opener) + "\n";
            entry += "MimeType=" + mime + ";\n";
            entry += "NoDisplay=true\nTerminal=false\n";
            if (!replaceFile(desktopPath(kOpenerDesktop), entry))
                notes.push_back("cannot write " + desktopPath(kOpenerDesktop));
            added.emplace_back(mime, kOpenerDesktop);
            defaults.emplace_back(mime, kOpenerDesktop);
        }
    }
    updateMimeapps(ourTypes, added, defaults, "kestrel-" + textkit::lower(types.codeset) + "-");
    refreshCaches(notes);
    return notes;
}

std::vector<std::string> DesktopFiles::withdraw(const std::string& codeset) {
    std::vector<std::string> notes;
    std::error_code ec;
    fs::remove(packagePath(codeset), ec);
    const std::string prefix = "kestrel-" + textkit::lower(codeset) + "-";
    for (const auto& entry : fs::directory_iterator(dataHome_ + "/applications", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0 && entry.path().extension() == ".desktop") fs::remove(entry.path(), ec);
    }
    updateMimeapps({}, {}, {}, prefix);
    refreshCaches(notes);
    return notes;
}

void DesktopFiles::updateMimeapps(const std::vector<std::string>& ourTypes,
                                  const std::vector<std::pair<std::string, std::string>>& added,
                                  const std::vector<std::pair<std::string, std::string>>& defaults,
                                  const std::string& ourPrefix) {
    const std::string path = mimeappsPath();
    std::vector<std::string> lines;
    {
        std::stringstream in(readWhole(path));
        std::string line;
        while (std::getline(in, line)) lines.push_back(line);
    }
    // What each of the two sections should say for a type: foreign entries
    // first, then ours.
    auto wanted = [&](const std::string& section, const std::string& mime, const std::string& current) {
        std::vector<std::string> items;
        const auto& ours = section == "[Default Applications]" ? defaults : added;
        const bool replaced = section == "[Default Applications]" &&
                              std::any_of(ours.begin(), ours.end(), [&](const auto& p) { return p.first == mime; });
        if (!replaced)
            for (const auto& item : splitList(current))
                if (item.rfind(ourPrefix, 0) != 0 &&
                    !(item == kOpenerDesktop && std::find(ourTypes.begin(), ourTypes.end(), mime) != ourTypes.end()))
                    items.push_back(item);
        for (const auto& [type, desktop] : ours)
            if (type == mime && std::find(items.begin(), items.end(), desktop) == items.end()) items.push_back(desktop);
        std::string value;
        for (const auto& item : items) value += item + ";";
        return value;
    };
    std::map<std::string, std::vector<std::string>> pending;  // section -> types not yet written
    for (const char* section : {"[Added Associations]", "[Default Applications]"}) {
        const auto& ours = std::string(section) == "[Default Applications]" ? defaults : added;
        for (const auto& [type, desktop] : ours) {
            auto& list = pending[section];
            if (std::find(list.begin(), list.end(), type) == list.end()) list.push_back(type);
        }
    }
    std::vector<std::string> out;
    std::string section;
    auto flushSection = [&]() {
        auto it = pending.find(section);
        if (it == pending.end()) return;
        // New lines go before the blank lines that end the section.
        auto at = out.end();
        while (at != out.begin() && (at - 1)->empty()) --at;
        for (const auto& mime : it->second) {
            std::string value = wanted(section, mime, "");
            if (!value.empty()) at = out.insert(at, mime + "=" + value) + 1;
        }
        pending.erase(it);
    };
    for (const auto& line : lines) {
        if (!line.empty() && line[0] == '[') {
            flushSection();
            section = line;
            out.push_back(line);
            continue;
        }
        const std::size_t equals = line.find('=');
        const std::string mime = equals == std::string::npos ? std::string() : line.substr(0, equals);
        const bool ours = std::find(ourTypes.begin(), ourTypes.end(), mime) != ourTypes.end() ||
                          line.find("=" + ourPrefix) != std::string::npos ||
                          line.find(";" + ourPrefix) != std::string::npos;
        if ((section == "[Added Associations]" || section == "[Default Applications]") && ours) {
            const std::string value = wanted(section, mime, line.substr(equals + 1));
            auto& list = pending[section];
            list.erase(std::remove(list.begin(), list.end(), mime), list.end());
            if (!value.empty()) out.push_back(mime + "=" + value);
            continue;
        }
        out.push_back(line);
    }
    flushSection();
    // Sections the file did not have yet.
    std::vector<std::string> missing;
    for (const auto& [name, types] : pending)
        if (!types.empty()) missing.push_back(name);
    for (const auto& name : missing) {
        if (!out.empty() && !out.back().empty()) out.push_back("");
        section = name;
        out.push_back(name);
        flushSection();
    }
    std::string text;
    for (const auto& line : out) text += line + "\n";
    replaceFile(path, text);
}

void DesktopFiles::refreshCaches(std::vector<std::string>& notes) const {
    if (runTool({"update-mime-database", dataHome_ + "/mime"}) < 0)
        notes.push_back("update-mime-database is not installed: the MIME cache was not refreshed");
    if (runTool({"update-desktop-database", dataHome_ + "/applications"}) < 0)
        notes.push_back("update-desktop-database is not installed: the application cache was not refreshed");
}

}  // namespace kestrel
