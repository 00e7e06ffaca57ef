#pragma once

#include <any>
#include <functional>
#include <string>
#include <vector>

namespace platform {

struct Notification {
    std::string name;
    std::any object;
};

// In-process notifications, delivered synchronously on the posting thread.
class NotificationCenter {
public:
    using Handler = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    void addObserver(const void* observer, std::string name, Handler handler);
    void removeObserver(const void* observer);
    void post(const std::string& name, std::any object = {});

private:
    struct Registration {
        const void* observer;
        std::string name;
        Handler handler;
    };
    bool isStillRegistered(const void* observer, const std::string& name) const;

    std::vector<Registration> registrations_;
};

}  // namespace platform
