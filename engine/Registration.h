#pragma once
// File-type registration: `register` opens a registration for a codeset,
// `regext` lines add extensions of four kinds, and the next other directive
// (or the end of the script or command line) writes it: file classes, shell
// verbs and their command lines go into the registry store under HKCR, a
// record of what was written under HKCU\Software\Kestrel\Registrations, and
// the platform makes the desktop offer the verbs.
//
// Names that would write outside their own keys are refused before anything
// is written: codesets and descriptions are plain words, extensions a dot and
// a word, and the program's path may not hold a quote or "%".
#include <string>
#include <vector>

#include "platform/FileTypeSet.h"

namespace kestrel {

class Shared;

class Registration {
public:
    explicit Registration(Shared& shared);

    // `register` codeset [as|?] description. Throws KestrelError for a
    // refused name; the registration then writes nothing.
    void begin(std::string codeset, std::string description, bool reuseClasses);
    // `regext` extension [as] kind. Throws KestrelError for a refused
    // extension or an unknown kind; the extension is not added.
    void addExtension(const std::string& extension, const std::string& kindWord);
    bool isOpen() const { return open_; }
    // Writes the open registration and closes it. Echoes "REGISTERED X as D"
    // per extension once all its keys are written; throws KestrelError with
    // the reason when something could not be written.
    void write();
    // Removes what registrations of the codeset wrote; false when there was none.
    bool unregister(const std::string& codeset);

    // The verbs of the codeset's registered classes as the desktop needs them.
    FileTypeSet fileTypes(const std::string& codeset);
    // A command line as written in the store ("\"prog\" #boot x;#encode \"%1\"")
    // as an argument vector for the desktop: the program, "--file", "%f" and
    // the code line; or the program and "%f" when no code line remains.
    static std::vector<std::string> desktopArguments(const std::string& command);
    // Words of a command line: blanks separate, double quotes group.
    static std::vector<std::string> commandWords(const std::string& command);

    static constexpr const char* kRecordRoot = "HKCU\\Software\\Kestrel\\Registrations";

private:
    enum Kind { kNone = 0, kSource = 1, kScript = 2, kHeader = 3, kBuffer = 4 };
    struct Extension {
        std::string name;
        Kind kind;
    };
    struct Commands {
        std::string program;
        std::string decode, encode, rawdecode, editor, bufferWriter;
    };
    Commands commands(const std::string& codeset) const;
    void writeExtension(const Extension& extension, const Commands& commands);
    void key(const std::string& path, const std::string& value);
    void publish(const std::string& codeset);
    void reset();

    Shared& shared_;
    bool open_ = false;
    bool refused_ = false;
    std::string codeset_;
    std::string description_;
    bool reuse_ = false;
    std::vector<Extension> extensions_;
};

}  // namespace kestrel
