#pragma once

#include "platform/NotificationCenter.h"

#include <string>

namespace platform {

// Notifications that come from outside the code that observes them (from the
// screen-saver host, for instance), delivered on the main thread.
class DistributedNotificationCenter {
public:
    using Handler = NotificationCenter::Handler;

    virtual ~DistributedNotificationCenter() = default;
    virtual void addObserver(const void* observer, const std::string& name, Handler handler) = 0;
    virtual void removeObserver(const void* observer) = 0;
    virtual void post(const std::string& name) = 0;
};

// The centre of one process: a host posts into it on its main loop.
class InProcessDistributedNotificationCenter : public DistributedNotificationCenter {
public:
    void addObserver(const void* observer, const std::string& name, Handler handler) override;
    void removeObserver(const void* observer) override;
    void post(const std::string& name) override;

private:
    NotificationCenter center_;
};

}  // namespace platform
