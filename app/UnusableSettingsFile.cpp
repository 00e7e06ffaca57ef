#include "app/UnusableSettingsFile.h"

#include "platform/ControlCharacterEscape.h"
#include "platform/Log.h"

#include <fcntl.h>
#include <stdio.h>

#include <system_error>

#include <cerrno>
#include <cstring>

namespace {

std::string shown(const std::filesystem::path& path) { return escapeControlCharacters(path.string()); }

// Never over another file: two unusable files in one second get "-2", "-3", ...
bool renameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to, int& error) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    error = errno;
    if (error != EINVAL && error != ENOSYS) {
        return false;
    }
    // A file system without the flag: look, then rename (the folder is the user's own).
    std::error_code look;
    if (std::filesystem::symlink_status(to, look).type() != std::filesystem::file_type::not_found) {
        error = EEXIST;
        return false;
    }
    if (::rename(from.c_str(), to.c_str()) == 0) {
        return true;
    }
    error = errno;
    return false;
}

}  // namespace

std::filesystem::path asideNameFor(const std::filesystem::path& path, std::time_t when) {
    std::tm utc{};
    gmtime_r(&when, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &utc);
    return path.parent_path() / (path.filename().string() + ".unusable-" + stamp);
}

void setUnusableFileAside(const std::filesystem::path& path, const std::string& problem) {
    const std::filesystem::path base = asideNameFor(path, std::time(nullptr));
    constexpr int attempts = 100;
    int error = 0;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        const std::filesystem::path aside =
            attempt == 1 ? base : std::filesystem::path(base.string() + "-" + std::to_string(attempt));
        if (renameWithoutReplacing(path, aside, error)) {
            platform::systemLog("⚠️ Settings: " + shown(path) + " cannot be used (" + problem + "); kept as " +
                                shown(aside) + ", starting from the defaults");
            return;
        }
        if (error != EEXIST) {
            break;
        }
    }
    platform::systemLog("❌ Settings: " + shown(path) + " cannot be used (" + problem +
                        ") and cannot be set aside: " + std::strerror(error) + "; starting from the defaults");
}
