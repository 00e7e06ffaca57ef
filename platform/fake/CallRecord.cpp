#include "platform/fake/CallRecord.h"

namespace platform::fake {

int CallRecord::indexOf(const std::string& prefix) const {
    for (size_t i = 0; i < calls_.size(); ++i) {
        if (calls_[i].rfind(prefix, 0) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int CallRecord::count(const std::string& prefix) const { return static_cast<int>(matching(prefix).size()); }

std::vector<std::string> CallRecord::matching(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const auto& call : calls_) {
        if (call.rfind(prefix, 0) == 0) {
            found.push_back(call);
        }
    }
    return found;
}

}  // namespace platform::fake
