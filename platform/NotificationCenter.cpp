#include "platform/NotificationCenter.h"

#include <algorithm>

namespace platform {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(const void* observer, std::string name, Handler handler) {
    registrations_.push_back({observer, std::move(name), std::move(handler)});
}

void NotificationCenter::removeObserver(const void* observer) {
    std::erase_if(registrations_, [observer](const Registration& r) { return r.observer == observer; });
}

bool NotificationCenter::isStillRegistered(const void* observer, const std::string& name) const {
    return std::any_of(registrations_.begin(), registrations_.end(),
                       [&](const Registration& r) { return r.observer == observer && r.name == name; });
}

void NotificationCenter::post(const std::string& name, std::any object) {
    const Notification notification{name, std::move(object)};
    // A snapshot, so that a handler may add or remove observers while it runs.
    const auto snapshot = registrations_;
    for (const auto& registration : snapshot) {
        if (registration.name == name && isStillRegistered(registration.observer, name)) {
            registration.handler(notification);
        }
    }
}

}  // namespace platform
