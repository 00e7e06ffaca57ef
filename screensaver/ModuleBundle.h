#pragma once

#include "platform/Bundle.h"

#include <filesystem>

namespace screensaver {

// The bundle a module file belongs to: "<bundle>/Contents/<dir>/<module>" gives
// <bundle>; a module outside that layout gives its own folder, which holds no pages.
platform::Bundle bundleForModuleAt(const std::filesystem::path& modulePath);

// The bundle that holds the code of this module, found from the module's own
// address: a host loads the module from wherever it likes.
platform::Bundle bundleOfThisModule();

}  // namespace screensaver
