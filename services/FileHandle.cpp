#include "services/FileHandle.h"

#include <optional>
#include <vector>

#include "platform/Platform.h"
#include "services/RegistryStore.h"

namespace kestrel {

FileHandle::FileHandle(Platform& platform, std::string programName)
    : platform_(platform),
      programName_(std::move(programName)),
      log_(platform, programName_),
      stack_(log_, platform),
      finder_(platform),
      shell_(platform, finder_) {}

FileHandle::~FileHandle() = default;

std::optional<std::string> FileHandle::OpenFile(std::string& name, OpenMode mode, bool confirm) {
    if (stack_.full()) {
        echo("Too many open files, not opened: " + name);
        return std::nullopt;
    }
    const bool writing = FileStack::writes(mode);
    if (!name.empty()) {
        if (writing) {
            if (finder_.exist(name, true, confirm)) return std::nullopt;
        } else if (!finder_.exist(name, false, false)) {
            platform_.messageBox("File Not Found or user cancel", programName_);
            return std::nullopt;
        }
    } else {
        name = finder_.getfile(writing ? FileDialogKind::save : FileDialogKind::open);
        if (name.empty()) return std::nullopt;
    }
    if (!stack_.push(name, mode)) return std::nullopt;
    return name;
}

// --- the name of the file in work ------------------------------------------

std::string FileHandle::filename(NamePart part) const {
    switch (part) {
    case NamePart::fullpath: return current_.fullPath(finder_.currentDirectory(), platform_.separator());
    case NamePart::name: return current_.name;
    case NamePart::directory: return finder_.currentDirectory();
    case NamePart::extension: return current_.extension;
    }
    return "";
}

void FileHandle::setFilename(NamePart part, const std::string& value) {
    switch (part) {
    case NamePart::fullpath: {
        current_.assignFullPath(value);
        std::string folder = current_.directory;
        if (!folder.empty()) shell_.Dos("chdir", folder);
        break;
    }
    case NamePart::name: current_.name = value; break;
    case NamePart::directory:
        // Only stored: changing directory is what fullpath and Dos do.
        current_.directory = value;
        break;
    case NamePart::extension: current_.extension = value; break;
    }
}

std::string FileHandle::filename_get(std::string& dir, std::string& name, std::string& ext) const {
    if (dir.empty()) dir = current_.directory;
    if (name.empty()) name = current_.name;
    if (ext.empty()) ext = current_.extension;
    return dir + platform_.separator() + name + "." + ext;
}

// --- registry ------------------------------------------------------------

RegistryStore& FileHandle::registry() {
    if (!registry_) registry_ = std::make_unique<RegistryStore>(platform_, platform_.registryFile());
    return *registry_;
}

bool FileHandle::CreateNewKey(const std::string& path, const std::string& value) {
    return registry().CreateNewKey(path, value);
}

std::string FileHandle::GetKeyValue(const std::string& path, const std::string& valuename) {
    return registry().GetKeyValue(path, valuename).value_or(std::string());
}

bool FileHandle::SetKeyValue(const std::string& path, const std::string& valuename, const std::string& value,
                             int type) {
    return registry().SetKeyValue(path, valuename, value, type);
}

bool FileHandle::DeleteRegKey(const std::string& path) { return registry().DeleteRegKey(path); }

namespace {

std::string nulList(const std::optional<std::vector<std::string>>& names) {
    std::string out;
    if (names)
        for (const auto& name : *names) out += name + '\0';
    return out;
}

}  // namespace

std::string FileHandle::EnumRegKeys(const std::string& path) { return nulList(registry().EnumRegKeys(path)); }

std::string FileHandle::EnumRegValues(const std::string& path) { return nulList(registry().EnumRegValues(path)); }

}  // namespace kestrel
