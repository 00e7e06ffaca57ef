#include "platform/DistributedNotificationCenter.h"

namespace platform {

void InProcessDistributedNotificationCenter::addObserver(const void* observer, const std::string& name,
                                                         Handler handler) {
    center_.addObserver(observer, name, std::move(handler));
}

void InProcessDistributedNotificationCenter::removeObserver(const void* observer) { center_.removeObserver(observer); }

void InProcessDistributedNotificationCenter::post(const std::string& name) { center_.post(name); }

}  // namespace platform
