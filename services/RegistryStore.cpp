#include "services/RegistryStore.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/Platform.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/TextKit.h"

namespace kestrel {

namespace {

namespace fs = std::filesystem;

struct RootName {
    const char* longName;
    const char* shortName;
};

// The store always writes the long names; paths may use either.
constexpr std::array<RootName, 4> kRoots{{{"HKEY_CLASSES_ROOT", "HKCR"},
                                          {"HKEY_CURRENT_USER", "HKCU"},
                                          {"HKEY_LOCAL_MACHINE", "HKLM"},
                                          {"HKEY_USERS", "HKUS"}}};

int rootIndex(std::string_view name) {
    for (std::size_t i = 0; i < kRoots.size(); ++i)
        if (textkit::equalsIgnoreCase(name, kRoots[i].longName) || textkit::equalsIgnoreCase(name, kRoots[i].shortName))
            return static_cast<int>(i);
    return -1;
}

std::vector<std::string> splitAt(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

bool hasControlByte(const std::string& text) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

}  // namespace

struct RegistryStore::Key {
    struct Value {
        std::string name;
        int type = 1;
        std::string text;
        uint32_t number = 0;
    };
    std::string name;
    std::vector<Value> values;
    std::vector<std::unique_ptr<Key>> subkeys;

    Key* find(const std::string& child) {
        for (auto& key : subkeys)
            if (textkit::equalsIgnoreCase(key->name, child)) return key.get();
        return nullptr;
    }
    Key& child(const std::string& childName) {
        if (Key* found = find(childName)) return *found;
        subkeys.push_back(std::make_unique<Key>());
        subkeys.back()->name = childName;
        return *subkeys.back();
    }
    Value* value(const std::string& valueName) {
        for (auto& entry : values)
            if (textkit::equalsIgnoreCase(entry.name, valueName)) return &entry;
        return nullptr;
    }
    Value& setValue(const std::string& valueName) {
        if (Value* found = value(valueName)) return *found;
        values.push_back(Value{valueName, 1, std::string(), 0});
        return values.back();
    }
};

struct RegistryStore::Tree {
    std::array<Key, 4> roots;

    Key* find(const KeyPath& path) {
        Key* key = &roots[static_cast<std::size_t>(path.root)];
        for (const auto& name : path.names) {
            key = key->find(name);
            if (!key) return nullptr;
        }
        return key;
    }
    Key& create(const KeyPath& path) {
        Key* key = &roots[static_cast<std::size_t>(path.root)];
        for (const auto& name : path.names) key = &key->child(name);
        return *key;
    }
};

RegistryStore::RegistryStore(Platform& platform, std::string path) : platform_(platform), path_(std::move(path)) {}

RegistryStore::~RegistryStore() = default;

bool RegistryStore::fail(std::string why) {
    error_ = std::move(why);
    return false;
}

std::string RegistryStore::escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out;
}

std::optional<std::string> RegistryStore::unescape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') return std::nullopt;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= text.size()) return std::nullopt;
        switch (text[i]) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 'x': {
            const std::string digits = text.substr(i + 1, 2);
            if (digits.size() != 2 || !textkit::isHexText(digits)) return std::nullopt;
            out += static_cast<char>(textkit::hexDigit(digits[0]) * 16 + textkit::hexDigit(digits[1]));
            i += 2;
            break;
        }
        default: return std::nullopt;
        }
    }
    return out;
}

std::optional<RegistryStore::KeyPath> RegistryStore::splitPath(const std::string& path) {
    std::string text = path;
    while (!text.empty() && text.back() == '\\') text.pop_back();
    const std::size_t slash = text.find('\\');
    KeyPath result;
    result.root = rootIndex(text.substr(0, slash));
    if (result.root < 0) {
        fail("'" + path + "' does not start with a registry root (HKCR, HKCU, HKLM, HKUS)");
        return std::nullopt;
    }
    if (slash == std::string::npos) {
        fail("'" + path + "' names a root; only keys below a root can be used");
        return std::nullopt;
    }
    result.names = splitAt(text.substr(slash + 1), '\\');
    for (const auto& name : result.names) {
        if (name.empty()) {
            fail("'" + path + "' has an empty key name");
            return std::nullopt;
        }
        if (hasControlByte(name)) {
            fail("'" + path + "' has a control character in a key name");
            return std::nullopt;
        }
    }
    return result;
}

// Reads the store into `tree`; a missing store is an empty one.
bool RegistryStore::load(Tree& tree) {
    if (path_.empty()) return fail("there is no registry store on this system");
    std::error_code ec;
    if (!fs::exists(path_, ec)) return true;
    std::ifstream in(path_, std::ios::binary);
    if (!in) return fail("cannot read the registry store " + path_);
    std::ostringstream whole;
    whole << in.rdbuf();
    const std::string content = whole.str();
    if (content.empty()) return true;
    const std::vector<std::string> lines = splitAt(content, '\n');
    auto broken = [&](std::size_t index, const std::string& why) {
        return fail(path_ + ":" + std::to_string(index + 1) + ": " + why + " (the store is left as it is)");
    };
    Key* current = nullptr;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (i == 0) {
            if (line != "REGEDIT4") return broken(i, "not a registry store (no REGEDIT4 line)");
            continue;
        }
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            if (line.back() != ']') return broken(i, "key line without ']'");
            auto path = splitPath(line.substr(1, line.size() - 2));
            if (!path) return broken(i, error_);
            current = &tree.create(*path);
            continue;
        }
        if (!current) return broken(i, "value before the first key");
        std::string name;
        std::size_t at = 0;
        if (line[0] == '@') {
            at = 1;
        } else if (line[0] == '"') {
            std::size_t end = 1;
            while (end < line.size() && line[end] != '"') end += line[end] == '\\' ? 2 : 1;
            if (end >= line.size()) return broken(i, "value name without its closing quote");
            auto unescaped = unescape(line.substr(1, end - 1));
            if (!unescaped) return broken(i, "bad escape in a value name");
            name = *unescaped;
            at = end + 1;
        } else {
            return broken(i, "cannot read this line");
        }
        if (at >= line.size() || line[at] != '=') return broken(i, "'=' expected after the value name");
        const std::string data = line.substr(at + 1);
        Key::Value& value = current->setValue(name);
        if (data.size() >= 2 && data.front() == '"' && data.back() == '"') {
            auto text = unescape(data.substr(1, data.size() - 2));
            if (!text) return broken(i, "bad escape in a text value");
            value.type = 1;
            value.text = *text;
        } else if (data.rfind("dword:", 0) == 0 && data.size() > 6 && data.size() <= 14 &&
                   textkit::isHexText(std::string_view(data).substr(6))) {
            value.type = 4;
            value.number = static_cast<uint32_t>(std::stoul(data.substr(6), nullptr, 16));
        } else {
            return broken(i, "a value must be \"text\" or dword:hex");
        }
    }
    return true;
}

bool RegistryStore::save(const Tree& tree) {
    std::ostringstream out;
    out << "REGEDIT4\n";
    // Depth first; every key gets its own line so that empty keys survive.
    struct Writer {
        std::ostringstream& out;
        void key(const std::string& path, const Key& key) {
            out << "\n[" << path << "]\n";
            for (const auto& value : key.values) {
                out << (value.name.empty() ? std::string("@") : "\"" + escape(value.name) + "\"") << '=';
                if (value.type == 4) {
                    char hex[16];
                    std::snprintf(hex, sizeof hex, "dword:%08x", static_cast<unsigned>(value.number));
                    out << hex << '\n';
                } else {
                    out << '"' << escape(value.text) << "\"\n";
                }
            }
            for (const auto& child : key.subkeys) this->key(path + "\\" + child->name, *child);
        }
    } writer{out};
    for (std::size_t r = 0; r < kRoots.size(); ++r)
        for (const auto& child : tree.roots[r].subkeys)
            writer.key(std::string(kRoots[r].longName) + "\\" + child->name, *child);

    std::error_code ec;
    const fs::path target(path_);
    const fs::path temporary = target.string() + ".new";
    try {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) return fail("cannot write " + temporary.string());
        // Private before anything is in it.
        fs::permissions(temporary, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
        const std::string text = out.str();
        file.write(text.data(), static_cast<std::streamsize>(text.size()));
        file.close();
        if (!file) {
            fs::remove(temporary, ec);
            return fail("cannot write " + temporary.string());
        }
        fs::rename(temporary, target);
    } catch (const fs::filesystem_error& error) {
        fs::remove(temporary, ec);
        return fail(std::string("cannot write the registry store: ") + error.what());
    }
    return true;
}

template <class Change>
bool RegistryStore::update(Change change) {
    if (path_.empty()) return fail("there is no registry store on this system");
    std::error_code ec;
    const fs::path folder = fs::path(path_).parent_path();
    if (!folder.empty() && !fs::exists(folder, ec)) {
        fs::create_directories(folder, ec);
        if (ec) return fail("cannot create " + folder.string() + ": " + ec.message());
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
    }
    auto lock = platform_.waitForLock(path_ + ".lock");
    if (!lock) return fail("cannot lock the registry store " + path_);
    Tree tree;
    if (!load(tree)) return false;
    if (!change(tree)) return false;
    if (!save(tree)) return false;
    error_.clear();
    return true;
}

RegistryStore::Key* RegistryStore::lookup(Tree& tree, const std::string& path) {
    auto where = splitPath(path);
    if (!where || !load(tree)) return nullptr;
    Key* key = tree.find(*where);
    if (!key) fail("no key " + path);
    return key;
}

bool RegistryStore::CreateNewKey(const std::string& path, const std::string& value) {
    auto where = splitPath(path);
    if (!where) return false;
    return update([&](Tree& tree) {
        Key& key = tree.create(*where);
        if (!value.empty()) {
            Key::Value& entry = key.setValue("");
            entry.type = 1;
            entry.text = value;
        }
        return true;
    });
}

std::optional<std::string> RegistryStore::GetKeyValue(const std::string& path, const std::string& valuename) {
    Tree tree;
    Key* key = lookup(tree, path);
    if (!key) return std::nullopt;
    Key::Value* value = key->value(valuename);
    if (!value) {
        fail("no value '" + valuename + "' in " + path);
        return std::nullopt;
    }
    error_.clear();
    if (value->type == 4) return std::to_string(static_cast<int32_t>(value->number));
    return value->text;
}

bool RegistryStore::SetKeyValue(const std::string& path, const std::string& valuename, const std::string& value,
                                int type) {
    if (type != 1 && type != 4) return fail("value type " + std::to_string(type) + " is not 1 (text) or 4 (number)");
    uint32_t number = 0;
    if (type == 4) {
        try {
            number = static_cast<uint32_t>(numeric::toInt32(numeric::strict(value)));
        } catch (const KestrelError& error) {
            return fail("'" + value + "' is not a 32-bit number: " + error.what());
        }
    }
    auto where = splitPath(path);
    if (!where) return false;
    return update([&](Tree& tree) {
        Key* key = tree.find(*where);
        if (!key) return fail("no key " + path);
        Key::Value& entry = key->setValue(valuename);
        entry.type = type;
        entry.text = type == 1 ? value : std::string();
        entry.number = number;
        return true;
    });
}

bool RegistryStore::DeleteRegKey(const std::string& path) {
    auto where = splitPath(path);
    if (!where) return false;
    return update([&](Tree& tree) {
        KeyPath parentPath = *where;
        const std::string last = parentPath.names.back();
        parentPath.names.pop_back();
        Key* parent = tree.find(parentPath);
        if (!parent || !parent->find(last)) return fail("no key " + path);
        auto& list = parent->subkeys;
        for (auto it = list.begin(); it != list.end(); ++it)
            if (textkit::equalsIgnoreCase((*it)->name, last)) {
                list.erase(it);
                break;
            }
        return true;
    });
}

std::optional<std::vector<std::string>> RegistryStore::EnumRegKeys(const std::string& path) {
    Tree tree;
    Key* key = lookup(tree, path);
    if (!key) return std::nullopt;
    std::vector<std::string> names;
    for (const auto& child : key->subkeys) names.push_back(child->name);
    error_.clear();
    return names;
}

std::optional<std::vector<std::string>> RegistryStore::EnumRegValues(const std::string& path) {
    Tree tree;
    Key* key = lookup(tree, path);
    if (!key) return std::nullopt;
    std::vector<std::string> names;
    for (const auto& value : key->values) names.push_back(value.name);
    error_.clear();
    return names;
}

}  // namespace kestrel
