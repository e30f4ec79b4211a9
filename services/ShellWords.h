#pragma once
// The small built-in command shell: list a folder, change folder, delete
// files, make and remove folders, hand a document to the desktop. Every word
// works relative to the process's current folder and answers with a text;
// nothing is echoed.
#include <string>

namespace kestrel {

class Platform;
class FileFinder;

class ShellWords {
public:
    ShellWords(Platform& platform, FileFinder& finder) : platform_(platform), finder_(finder) {}

    // Runs one word ("dir", "cd"/"chdir", "delete", "rmdir", "mkdir",
    // "shell"; case does not matter). `argument` may be completed in place
    // ("dir" fills in a default). A failure stops the word and answers
    // "Invalid path or filename"; an unknown word answers "".
    std::string Dos(const std::string& word, std::string& argument);

private:
    std::string run(const std::string& word, std::string& argument);

    Platform& platform_;
    FileFinder& finder_;
};

}  // namespace kestrel
