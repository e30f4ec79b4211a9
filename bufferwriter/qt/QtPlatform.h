#pragma once
// The platform of plover's Qt window: boxes and file dialogs are Qt dialogs;
// everything else is the POSIX platform's.
#include "platform/posix/PosixPlatform.h"

namespace kestrel {

class QtPlatform : public PosixPlatform {
public:
    void messageBox(const std::string& text, const std::string& title) override;
    void notice(const std::string& text) override;
    bool askYesNo(const std::string& text, const std::string& title) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title) override;
    [[noreturn]] void critical(const std::string& text) override;
    std::string fileDialog(const FileDialogRequest& request) override;
    bool interactive() const override { return true; }
};

}  // namespace kestrel
