#include "platform/fake/RecordingScreenSaverServices.h"

#include <cstdio>

namespace platform::fake {

namespace {

class NumberedToken : public ActivityToken {
public:
    explicit NumberedToken(int number) : number(number) {}
    const int number;
};

}  // namespace

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

std::unique_ptr<ActivityToken> RecordingProcessActivity::beginActivity(std::uint64_t options,
                                                                       const std::string& reason) {
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%llx", static_cast<unsigned long long>(options));
    const int number = next_++;
    ++active_;
    record_.add("processActivity.begin #" + std::to_string(number) + " " + hex + " " + reason);
    return std::make_unique<NumberedToken>(number);
}

void RecordingProcessActivity::endActivity(std::unique_ptr<ActivityToken> token) {
    const auto* numbered = dynamic_cast<const NumberedToken*>(token.get());
    --active_;
    record_.add("processActivity.end #" + std::to_string(numbered ? numbered->number : 0));
}

void RecordingScreenSaverServices::exitProcess(int status) {
    platform_.record.add("process.exit " + std::to_string(status));
    throw ProcessExited{status};
}

}  // namespace platform::fake
