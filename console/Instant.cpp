#include "console/Instant.h"

#include <filesystem>
#include <system_error>

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
    if (platform_.consoleIsTerminal()) platform_.clearConsole();
    length_ = 0;
}

void Instant::diagnostic(const std::string& text) { platform_.writeDiagnostic(text); }

const char* Instant::commandHelp() {
    return "  !database   choose a codeset header and boot its codeset\n"
           "  !encode     choose a script and compile it into a buffer file\n"
           "  !decode     choose a buffer file and decompile it into a script\n"
           "  !source     choose an image and decompile it from an offset\n"
           "  !exit       leave the console (so does end of input, Ctrl-D)\n";
}

void Instant::banner() {
    if (!platform_.consoleIsTerminal()) return;
    add("WELCOME TO KESTREL");
    add("Kestrel " KESTREL_VERSION " - type script lines; directives start with #.");
    add("Console commands: !database !encode !decode !source !exit");
}

void Instant::run(Shared& shared) {
    while (auto input = platform_.readConsoleInput("> ")) {
        if (input->forwarded)
            runForwarded(shared, input->text, input->directory);
        else if (!runCommand(shared, input->text))
            break;
        platform_.flushConsole();
    }
}

void Instant::runForwarded(Shared& shared, const std::string& text, const std::string& directory) {
    if (text.empty()) return;
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path previous = fs::current_path(ec);
    fs::current_path(directory, ec);
    if (ec) {
        shared.gFiles->echo("Forwarded line not run: cannot enter " + directory);
        return;
    }
    shared.gFiles->echo("Forwarded: " + text);
    shared.gEngine->setInputSource("<forwarded>", 0);
    // Back to the console's directory however the line ends.
    struct Restore {
        const fs::path& to;
        Shared& shared;
        ~Restore() {
            std::error_code ignored;
            if (!to.empty()) fs::current_path(to, ignored);
            shared.gEngine->setInputSource("<console>", 0);
        }
    } restore{previous, shared};
    shared.gEngine->pending(text);
    shared.gEngine->finishRegistration();
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
        menuFile(shared, FileDialogKind::save, "#kableewy; #encode ");
    } else if (command == "!decode") {
        menuFile(shared, FileDialogKind::open, "#kableewy; #decode ");
    } else if (command == "!source") {
        menuFile(shared, FileDialogKind::open, "#kableewy; #rawdecode ");
        if (FileHandle& files = *shared.gFiles; !files.filename(NamePart::fullpath).empty()) {
            const std::string note = platform_.openTextEditor(files.filename(NamePart::fullpath));
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
    const std::string chosen = files.getfile(FileDialogKind::open);
    if (chosen.empty()) return;
    files.setFilename(NamePart::fullpath, chosen);
    const std::string folder = files.filename(NamePart::directory);
    shared.gEngine->pending("#boot " + files.shortenname(folder));
    add("Loaded Database " + folder);
}

void Instant::menuFile(Shared& shared, FileDialogKind dialog, const std::string& directive) {
    FileHandle& files = *shared.gFiles;
    const std::string chosen = files.getfile(dialog);
    if (chosen.empty()) return;
    shared.gEngine->pending(directive + files.shortenname(chosen));
}

}  // namespace kestrel
