#pragma once

#include "platform/LoginItem.h"

#include <filesystem>
#include <string>

namespace platform {

// The login item as a freedesktop autostart entry ($XDG_CONFIG_HOME/autostart),
// which starts `launcher` when the user logs in.
class XdgAutostartLoginItem : public LoginItem {
public:
    XdgAutostartLoginItem(std::string entryName, std::filesystem::path launcher);

    LoginItemStatus status() const override;
    std::optional<std::string> registerItem() override;
    std::optional<std::string> unregisterItem() override;

    std::filesystem::path entryPath() const;

    // The Exec value that runs `program`, quoted as desktop entries require, with
    // newlines, tabs and carriage returns written as escapes so the value stays on
    // its one line. Nothing when the path holds a character an entry cannot carry
    // (another control character, or text that is not UTF-8).
    static std::optional<std::string> execValueFor(const std::filesystem::path& program);
    // The TryExec value for `program`: the plain path as a desktop-entry string. With
    // it the session skips the entry once the program is gone (the package removed)
    // instead of failing to start it at every login.
    static std::string tryExecValueFor(const std::filesystem::path& program);

private:
    std::optional<std::string> entryText() const;

    std::string entryName_;
    std::filesystem::path launcher_;
};

}  // namespace platform
