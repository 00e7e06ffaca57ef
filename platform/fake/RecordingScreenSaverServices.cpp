#include "platform/fake/RecordingScreenSaverServices.h"

namespace platform::fake {

void RecordingDistributedNotificationCenter::addObserver(const void* observer, const std::string& name,
                                                         Handler handler) {
    record_.add("distributedCenter.addObserver " + name);
    ++observers_;
    center_.addObserver(observer, name, std::move(handler));
}

void RecordingDistributedNotificationCenter::removeObserver(const void* observer) {
    record_.add("distributedCenter.removeObserver");
    if (observers_ > 0) {
        --observers_;
    }
    center_.removeObserver(observer);
}

void RecordingDistributedNotificationCenter::post(const std::string& name) {
    record_.add("distributedCenter.post " + name);
    center_.post(name);
}

void RecordingScreenSaverServices::exitProcess(int status) {
    platform_.record.add("process.exit " + std::to_string(status));
    throw ProcessExited{status};
}

}  // namespace platform::fake
