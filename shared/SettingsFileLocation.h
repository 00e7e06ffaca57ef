#pragma once

#include "platform/ProductNames.h"

#include <filesystem>

// Where the application keeps its settings, relative to the user's home folder.
// The application writes this file and the screen saver reads it: both must agree.
inline const std::filesystem::path settingsFileRelativePath{product::settingsFileRelativePath};
