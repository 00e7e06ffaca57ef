#pragma once

#include <ctime>
#include <filesystem>
#include <string>

// A settings file that is there but cannot be used (a FIFO, a device, a folder, too
// large, not UTF-8 JSON) is renamed beside itself with the time in its name, so that
// the next save never destroys what the user had, and one line says where it went.
void setUnusableFileAside(const std::filesystem::path& path, const std::string& problem);

// The name it is kept under: "config.json.unusable-20250131-235959" in UTC.
std::filesystem::path asideNameFor(const std::filesystem::path& path, std::time_t when);
