#pragma once
// The freedesktop side of file-type registration: a shared-MIME-info
// package per codeset (types, globs, script and header as kinds of
// text/plain), one .desktop file per verb, plover as the default
// application for buffer files, and the associations in mimeapps.list,
// whose other lines are kept as they are. The caches are refreshed with
// update-mime-database and update-desktop-database when they are installed.
#include <string>
#include <vector>

#include "platform/FileTypeSet.h"

namespace kestrel {

class DesktopFiles {
public:
    // dataHome: $XDG_DATA_HOME (mime/ and applications/ live there);
    // configHome: $XDG_CONFIG_HOME (mimeapps.list).
    DesktopFiles(std::string dataHome, std::string configHome);
    static DesktopFiles fromEnvironment();

    // Writes the files of a codeset; returns notes for the log.
    std::vector<std::string> publish(const FileTypeSet& types);
    // Removes them again (the shared buffer opener stays).
    std::vector<std::string> withdraw(const std::string& codeset);

    static std::string mimeType(const std::string& codeset, FileTypeSet::Kind kind);
    // The Exec value of an argument vector: arguments quoted and escaped by
    // the Desktop Entry rules; "%f" stays the file's field code.
    static std::string execValue(const std::vector<std::string>& argv);
    // The files' names.
    std::string packagePath(const std::string& codeset) const;
    std::string desktopPath(const std::string& name) const;
    std::string mimeappsPath() const;
    static std::string verbDesktopName(const std::string& codeset, const std::string& verb);
    static constexpr const char* kOpenerDesktop = "kestrel-plover.desktop";

private:
    std::string packageXml(const FileTypeSet& types) const;
    // Rewrites mimeapps.list: `added` are the associations of `ourTypes`,
    // `defaults` the default applications; every other line stays.
    void updateMimeapps(const std::vector<std::string>& ourTypes,
                        const std::vector<std::pair<std::string, std::string>>& added,
                        const std::vector<std::pair<std::string, std::string>>& defaults, const std::string& ourPrefix);
    void refreshCaches(std::vector<std::string>& notes) const;

    std::string dataHome_;
    std::string configHome_;
};

}  // namespace kestrel
