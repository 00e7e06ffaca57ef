#pragma once

#include <filesystem>
#include <string_view>

// Replaces a file's content so that readers see either the old or the new file,
// never a part: a temporary file in the same folder, flushed, then renamed over.
// Returns false when the file could not be replaced (the old one is then untouched).
namespace platform {

bool replaceFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace platform
