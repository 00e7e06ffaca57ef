#pragma once

#include <filesystem>
#include <optional>

namespace platform {

// The home folder as the user's file manager sees it: $HOME when it is set and
// absolute, otherwise the user database entry.
std::filesystem::path homeDirectoryForCurrentUser();

// The home folder the user database records for the process's real user, if any.
std::optional<std::filesystem::path> userDatabaseHomeDirectory();

}  // namespace platform
