#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

// Replaces a file's content so that readers see either the old or the new file,
// never a part: a temporary file in the same folder, flushed, then renamed over.
// Returns false when the file could not be replaced (the old one is then untouched).
// A writer killed between the two steps leaves its temporary file behind: each save
// first removes the ones of the same file that have sat untouched for a while.
// A symbolic link at `path` (a dotfiles setup) is written through: the file it leads
// to is replaced the same way, in its own folder, and the link stays a link.
namespace platform {

bool replaceFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                           std::error_code* failure = nullptr);

// Where a save of `path` lands: `path` itself, or the end of the chain of symbolic
// links that starts there (which need not exist yet).
std::filesystem::path fileBehindLinks(const std::filesystem::path& path);

// How long a temporary file may sit untouched before it counts as left behind
// (a save in progress right now is far younger).
inline constexpr std::chrono::seconds abandonedTemporaryAge{10};

// Whether `name` is a temporary file name that saving `target` would make.
bool isTemporaryNameFor(const std::string& name, const std::string& target);

}  // namespace platform
