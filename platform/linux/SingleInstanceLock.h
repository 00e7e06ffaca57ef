#pragma once

#include <string>

namespace platform {

// The user's runtime folder ($XDG_RUNTIME_DIR, else the temporary folder), where
// locks and the reopen socket live.
std::string instanceRuntimeFolder();

// Held for the life of the process by the one instance that shows a wallpaper on
// a display; a second instance finds it taken. `key` names the display server in
// one canonical form (on Wayland, the compositor socket's resolved path).
class SingleInstanceLock {
public:
    explicit SingleInstanceLock(const std::string& key);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    bool acquired() const { return acquired_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
    bool acquired_ = false;
};

}  // namespace platform
