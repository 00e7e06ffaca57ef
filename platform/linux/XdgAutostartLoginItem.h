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

    // The Exec value that runs `program`, quoted as desktop entries require.
    static std::string execValueFor(const std::filesystem::path& program);
    // The TryExec value for `program`: the plain path as a desktop-entry string. With
    // it the session skips the entry once the program is gone (the package removed)
    // instead of failing to start it at every login.
    static std::string tryExecValueFor(const std::filesystem::path& program);

private:
    std::string entryText() const;

    std::string entryName_;
    std::filesystem::path launcher_;
};

}  // namespace platform
