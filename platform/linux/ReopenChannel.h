#pragma once

#include <memory>
#include <string>

namespace platform {

// One launch that connected, read without ever blocking: the request arrives in
// whatever pieces the kernel delivers, and a silent or slow peer costs nothing
// but its place until the caller gives up on it.
class ReopenClient {
public:
    enum class State { waiting, reopen, refused };

    ReopenClient(int fd, bool sameUser);
    ~ReopenClient();
    ReopenClient(const ReopenClient&) = delete;
    ReopenClient& operator=(const ReopenClient&) = delete;

    // Becomes readable when more has arrived.
    int fd() const { return fd_; }
    // Takes what has arrived. `reopen` once the whole request is in (from the same
    // user), `refused` for anything else or a peer that hung up early.
    State read();

private:
    int fd_;
    bool sameUser_;
    std::string received_;
};

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
    // Takes one waiting connection, if any, without waiting for it to speak.
    std::unique_ptr<ReopenClient> acceptClient();

private:
    std::string path_;
    int fd_ = -1;
};

// Asks the instance listening at `socketPath` to come forward; false when none listens.
bool requestReopen(const std::string& socketPath);

// The socket that goes with a single-instance lock file.
std::string reopenSocketPathFor(const std::string& lockPath);

}  // namespace platform
