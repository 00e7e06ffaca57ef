#pragma once

#include "platform/Bundle.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace platform {

// The application's image assets live in the bundle's Resources/images/ folder as
// "<name>.png". Returns the file of the asset named `name`, or nothing when the
// bundle has no such asset.
std::optional<std::filesystem::path> imageAssetPath(const Bundle& bundle, std::string_view name);

}  // namespace platform
