#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// "file://" URLs for local paths, percent-encoded as URLs require (spaces become %20).
std::string fileURLFromPath(const std::filesystem::path& path, bool isDirectory = false);

// The local path a "file://" URL names (query and fragment dropped), or nothing
// when the text is not a local file URL.
std::optional<std::filesystem::path> pathFromFileURL(std::string_view url);

// The query of a URL without the leading "?", or nothing when it has none.
std::optional<std::string> queryOfURL(std::string_view url);

}  // namespace platform
