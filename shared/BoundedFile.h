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

// The same read, telling a file that is not there (nothing at the path, or a symbolic
// link to nothing) from one that is there but cannot be used, and why.
struct BoundedRead {
    enum class Outcome { read, missing, unreadable };
    Outcome outcome = Outcome::missing;
    std::string bytes;    // when read
    std::string problem;  // when unreadable: a short reason for a log line
};

BoundedRead readBoundedFileTelling(const std::filesystem::path& path, std::size_t maxBytes = settingsFileMaxBytes);
