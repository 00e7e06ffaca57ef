#pragma once

#include "platform/Alert.h"

#include <filesystem>

namespace platform {

// The system's screen-saver installer, as Linux desktops have none: asked to open a
// .saver bundle, it asks the user, then registers the screen-saver host that shows
// this bundle with XScreenSaver for this user and makes it the screen saver in use. Nothing
// is copied: the entry runs the host and the bundle where they are.
class XScreenSaverInstaller {
public:
    // `host` is the screen-saver host program; `settingsFile` XScreenSaver's ~/.xscreensaver.
    XScreenSaverInstaller(AlertPresenter& alerts, std::filesystem::path host, std::filesystem::path settingsFile);

    // Returns whether the screen saver is registered when it returns.
    bool install(const std::filesystem::path& saverBundle);

    // The command XScreenSaver runs for `saverBundle`: the host, told which bundle
    // to show unless it is the one the host finds by itself.
    std::string commandFor(const std::filesystem::path& saverBundle) const;

private:
    void reportFailure(const std::string& reason);

    AlertPresenter& alerts_;
    std::filesystem::path host_;
    std::filesystem::path settingsFile_;
};

// Whether `program` is found on $PATH.
bool programOnPath(const char* program);

}  // namespace platform
