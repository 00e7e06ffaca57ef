#pragma once

#include <string>

namespace platform {

// The address that asks the workspace for the desktop's screen-saver settings.
inline constexpr const char* screenSaverSettingsURL = "x-apple.systempreferences:com.apple.ScreenSaver";

// The desktop's handlers for documents and addresses.
class Workspace {
public:
    virtual ~Workspace() = default;
    // Opens `url` with the user's default handler for its scheme (a web address in
    // the browser). Returns whether a handler took it.
    virtual bool open(const std::string& url) = 0;
};

}  // namespace platform
