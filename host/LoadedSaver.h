#pragma once

#include "screensaver/ScreenSaverModule.h"

#include <filesystem>
#include <string>
#include <variant>

namespace host {

// A screen-saver module loaded from its bundle, and the principal class it offers.
// The module stays loaded for the life of the process: its views and their
// callbacks may be anywhere until the very end.
struct LoadedSaver {
    std::filesystem::path bundlePath;
    std::filesystem::path modulePath;
    const TaveloScreenSaverClass* principalClass = nullptr;
};

// Loads the module that the bundle's Info.json names ("CFBundleExecutable" under
// Contents/Linux/) and looks up its "NSPrincipalClass"; a failure is a message.
std::variant<LoadedSaver, std::string> loadSaverModule(const std::filesystem::path& bundlePath);

}  // namespace host
