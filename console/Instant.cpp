#include "console/Instant.h"

#include "engine/Control.h"
#include "engine/Shared.h"
#include "platform/Platform.h"
#include "services/FileHandle.h"
#include "text/TextKit.h"

namespace kestrel {

void Instant::add(const std::string& text) {
    platform_.writeConsole(text);
    platform_.writeConsole("\n");
    length_ += text.size() + 2;
}

void Instant::cls() {
    platform_.clearConsole();
    length_ = 0;
}

const char* Instant::commandHelp() {
    return "  !database   choose a codeset header and boot its codeset\n"
           "  !encode     choose a script and compile it into a buffer file\n"
           "  !decode     choose a buffer file and decompile it into a script\n"
           "  !source     choose an image and decompile it from an offset\n"
           "  !exit       leave the console (so does end of input, Ctrl-D)\n";
}

void Instant::banner() {
    add("WELCOME TO KESTREL");
    add("Kestrel " KESTREL_VERSION " - type script lines; directives start with #.");
    add("Console commands: !database !encode !decode !source !exit");
}

void Instant::run(Shared& shared) {
    while (auto line = platform_.readConsoleLine("> ")) {
        if (!runCommand(shared, *line)) break;
        platform_.flushConsole();
    }
}

// False when the console should end.
bool Instant::runCommand(Shared& shared, const std::string& line) {
    std::string word = line;
    while (!word.empty() && (word.back() == ' ' || word.back() == '\t')) word.pop_back();
    while (!word.empty() && (word.front() == ' ' || word.front() == '\t')) word.erase(0, 1);
    const std::string command = textkit::lower(word);
    if (command == "!exit" || command == "!quit") return false;
    if (command == "!database") {
        menuDatabase(shared);
    } else if (command == "!encode") {
        menuFile(shared, "Write", "#kableewy; #encode ");
    } else if (command == "!decode") {
        menuFile(shared, "Open", "#kableewy; #decode ");
    } else if (command == "!source") {
        menuFile(shared, "Open", "#kableewy; #rawdecode ");
        if (FileHandle& files = *shared.gFiles; !files.filename("fullname").empty()) {
            const std::string note = platform_.openTextEditor(files.filename("fullname"));
            if (!note.empty()) files.echo(note);
        }
    } else {
        shared.gEngine->pending(line);
    }
    return true;
}

// Database: boot the codeset whose folder holds the chosen header.
void Instant::menuDatabase(Shared& shared) {
    FileHandle& files = *shared.gFiles;
    std::string home = platform_.programDirectory();
    files.Dos("cd", home);
    const std::string chosen = files.getfile("Open");
    if (chosen.empty()) return;
    files.setFilename("Fullpath", chosen);
    const std::string folder = files.filename("path");
    shared.gEngine->pending("#boot " + files.shortenname(folder));
    add("Loaded Database " + folder);
}

void Instant::menuFile(Shared& shared, const std::string& mode, const std::string& directive) {
    FileHandle& files = *shared.gFiles;
    const std::string chosen = files.getfile(mode);
    if (chosen.empty()) return;
    shared.gEngine->pending(directive + files.shortenname(chosen));
}

} // namespace kestrel
