#pragma once

#include <filesystem>
#include <optional>

namespace platform {

// Where this account's built-in view site says which loopback port it serves on: a
// small file in a folder only this account can write ($XDG_RUNTIME_DIR, or the
// account's cache folder where there is none), written by the site once it listens
// and read by the application and the screen-saver host, which both find the same one.
// The port in it is only a hint: the reader checks in the kernel's socket tables that
// this account listens there before it loads anything from it.
std::filesystem::path viewSiteRecordPath();

// The port the record names, when the file and its folder belong to this account and
// no other can write them.
std::optional<int> readViewSiteRecord(const std::filesystem::path& record);

// The process that wrote the record, on the same terms.
std::optional<int> recordedViewSiteProcess(const std::filesystem::path& record);

// Writes the record atomically, making its folder (mode 0700) when needed.
bool writeViewSiteRecord(const std::filesystem::path& record, int port);

// Removes the record if it still names `port` (a site that ends leaves no stale hint).
void removeViewSiteRecord(const std::filesystem::path& record, int port);

}  // namespace platform
