#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// The regular file that `requestPath` (already percent-decoded) names inside `root`,
// or nothing when it lies outside the folder (by "..", an absolute path or a
// symbolic link) or is not a regular file.
std::optional<std::filesystem::path> confinedFile(const std::filesystem::path& root, const std::string& requestPath);

}  // namespace platform
