#pragma once
// The per-user registry store: a text file in REGEDIT4 form holding the four
// roots, keys with their default and named values (type 1 text, type 4
// 32-bit number). Key and value names are compared without regard to case
// and kept as first written.
//
// Every change locks the store, reads it again, writes a temporary file and
// renames it over the store, so two processes writing at once lose nothing
// and a reader never sees half a file. A store that cannot be parsed is never
// rewritten: the operation fails and lastError() says why.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

class Platform;

class RegistryStore {
public:
    // `path` "" gives a store on which every operation fails.
    RegistryStore(Platform& platform, std::string path);
    ~RegistryStore();

    // Creates the key and the keys above it; a non-empty value becomes its
    // default value. False when nothing or not all of it was done.
    bool CreateNewKey(const std::string& path, const std::string& value);
    // The value (empty name: the default value) of the key, read whole;
    // nullopt when the key or value is not there or the store cannot be read.
    std::optional<std::string> GetKeyValue(const std::string& path, const std::string& valuename);
    // Writes a value of an existing key: type 1 text, type 4 a 32-bit number
    // given as text. Any other type, a missing key or a non-number fails.
    bool SetKeyValue(const std::string& path, const std::string& valuename, const std::string& value, int type);
    // Deletes the key with everything below it; false when it is not there.
    bool DeleteRegKey(const std::string& path);
    // Names of the subkeys / values of a key (the default value as "");
    // nullopt when the key is not there.
    std::optional<std::vector<std::string>> EnumRegKeys(const std::string& path);
    std::optional<std::vector<std::string>> EnumRegValues(const std::string& path);

    // Why the last operation failed ("" after a success).
    const std::string& lastError() const { return error_; }
    const std::string& path() const { return path_; }

    // The text form of a string value and back ("\\", "\"", "\n", "\r",
    // other control bytes as \xHH). unescape returns nullopt for a broken escape.
    static std::string escape(const std::string& text);
    static std::optional<std::string> unescape(const std::string& text);

private:
    struct Key;
    struct Tree;
    struct KeyPath {
        int root = -1;
        std::vector<std::string> names;
    };

    std::optional<KeyPath> splitPath(const std::string& path);
    bool load(Tree& tree);
    // The key of a path in the store as read now; nullptr (and why) when it is not there.
    Key* lookup(Tree& tree, const std::string& path);
    bool save(const Tree& tree);
    bool fail(std::string why);
    // Locks the store, reads it, applies `change` and writes it back when
    // `change` returned true.
    template <class Change>
    bool update(Change change);

    Platform& platform_;
    std::string path_;
    std::string error_;
};

}  // namespace kestrel
