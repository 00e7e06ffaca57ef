#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

// Reads a small settings-like file whole. Anything that is not a regular file (a
// FIFO, a device, a folder) or is larger than `maxBytes` counts as unreadable, and
// nothing here ever blocks waiting for a writer.
inline constexpr std::size_t settingsFileMaxBytes = 64 * 1024;

std::optional<std::string> readBoundedFile(const std::filesystem::path& path,
                                           std::size_t maxBytes = settingsFileMaxBytes);
