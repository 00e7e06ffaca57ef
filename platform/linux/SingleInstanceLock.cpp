#include "platform/linux/SingleInstanceLock.h"

#include "platform/ProductNames.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>

namespace platform {

namespace {

std::string fileNameSafe(const std::string& text) {
    std::string safe;
    for (char c : text) {
        safe += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.') ? c : '_';
    }
    return safe;
}

}  // namespace

std::string instanceRuntimeFolder() {
    if (const char* value = std::getenv("XDG_RUNTIME_DIR"); value != nullptr && value[0] == '/') {
        return value;
    }
    return std::filesystem::temp_directory_path().string();
}

SingleInstanceLock::SingleInstanceLock(const std::string& key)
    : path_(instanceRuntimeFolder() + "/" + std::string(product::programName) + "-" + std::to_string(getuid()) + "-" +
            fileNameSafe(key) + ".lock") {
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        // Without a place for the lock there is nothing to coordinate with: run.
        acquired_ = true;
        return;
    }
    // The kernel drops the lock when the process ends, however it ends.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    fd_ = fd;
    acquired_ = true;
}

SingleInstanceLock::~SingleInstanceLock() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

}  // namespace platform
