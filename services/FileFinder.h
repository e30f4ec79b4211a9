#pragma once
// Finding, choosing and shortening file names: the existence test that also
// looks beside the program, the file dialog, and the one-word short forms of
// quoted paths.
#include <cstdint>
#include <string>

namespace kestrel {

class Platform;
struct FileDialogRequest;

// The standard file dialogs: "Open file ....", "Save file ...." (ask before
// overwriting) and "Open many files ...." (several names).
enum class FileDialogKind : uint8_t { open, save, openMany };

class FileFinder {
public:
    explicit FileFinder(Platform& platform) : platform_(platform) {}

    // Whether a file by that name exists; `name` becomes the path found. A
    // relative name not found here is looked for beside the program. With
    // `ask` and `confirm` an existing file may be deleted after a Yes/No
    // question; the answer is then false.
    bool exist(std::string& name, bool ask, bool confirm);
    // The chosen path, "" when cancelled; several names come as
    // "folder;a;b". With `shortResult` the short form of the choice.
    std::string getfile(FileDialogKind kind, bool shortResult = false);
    std::string getfile(const FileDialogRequest& request, bool shortResult = false);
    // The short form of an existing path, lower case; "" when there is none.
    std::string shortenname(const std::string& path);
    // Replaces every quoted name of an existing file by its short form; a
    // quoted part that names no file stays as written.
    void ShrinkName(std::string& text);

    std::string currentDirectory() const;
    std::string joinPath(const std::string& folder, const std::string& name) const;
    // A relative argument joined to the current directory.
    std::string absolute(const std::string& argument) const;

private:
    Platform& platform_;
};

}  // namespace kestrel
