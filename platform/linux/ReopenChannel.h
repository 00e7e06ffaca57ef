#pragma once

#include <string>

namespace platform {

// How a second launch reaches the instance that runs: a Unix socket in the user's
// runtime folder, owned by the holder of the single-instance lock. Only processes
// of the same user are heard.
class ReopenListener {
public:
    // Listens at `socketPath`, replacing whatever a dead instance left there.
    explicit ReopenListener(std::string socketPath);
    ~ReopenListener();
    ReopenListener(const ReopenListener&) = delete;
    ReopenListener& operator=(const ReopenListener&) = delete;

    bool listening() const { return fd_ >= 0; }
    // Becomes readable when a launch is waiting.
    int fd() const { return fd_; }
    // Takes one waiting connection; true when it asked to reopen.
    bool acceptRequest();

private:
    std::string path_;
    int fd_ = -1;
};

// Asks the instance listening at `socketPath` to come forward; false when none listens.
bool requestReopen(const std::string& socketPath);

// The socket that goes with a single-instance lock file.
std::string reopenSocketPathFor(const std::string& lockPath);

}  // namespace platform
