#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

// Reads a settings-like file whole. Anything that is not a regular file (a FIFO, a
// device, a folder) or is larger than `maxBytes` counts as unreadable, and nothing
// here ever blocks waiting for a writer.
//
// The bound only keeps a runaway file from stalling start-up or filling memory: a
// hand-edited or tool-padded settings file of any plausible size must still load, as
// counting it as missing would repeat first-launch work and drop the user's choice.
inline constexpr std::size_t settingsFileMaxBytes = std::size_t{16} * 1024 * 1024;

std::optional<std::string> readBoundedFile(const std::filesystem::path& path,
                                           std::size_t maxBytes = settingsFileMaxBytes);
