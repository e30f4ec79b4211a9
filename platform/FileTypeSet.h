#pragma once
// The file types of one codeset as the desktop should offer them, read back
// from the registry store's class keys: which extensions belong to which
// kind, and the verbs of each kind with the argument vector they start.
#include <string>
#include <vector>

namespace kestrel {

class FileTypeSet {
public:
    enum class Kind { source, script, header, buffer };

    struct Verb {
        std::string id;       // the verb key ("compile", "decompilelumen", "open")
        std::string caption;  // what the file manager shows
        // The program and its arguments; the argument "%f" stands for the file.
        std::vector<std::string> argv;
    };

    struct Type {
        Kind kind = Kind::source;
        std::string description;         // the class's default value ("Lumen script")
        std::vector<std::string> globs;  // "*.ksc"
        std::vector<Verb> verbs;
        // The program that opens the type by default (argv with "%f"); empty
        // when the desktop's own choice stays (scripts and headers are text).
        std::vector<std::string> opener;
    };

    std::string codeset;
    std::vector<Type> types;
};

}  // namespace kestrel
