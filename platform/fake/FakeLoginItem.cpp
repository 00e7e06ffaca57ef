#include "platform/fake/FakeLoginItem.h"

namespace platform::fake {

std::optional<std::string> FakeLoginItem::registerItem() {
    record_.add("loginItem.register");
    if (failure) {
        return failure;
    }
    status_ = LoginItemStatus::enabled;
    return std::nullopt;
}

std::optional<std::string> FakeLoginItem::unregisterItem() {
    record_.add("loginItem.unregister");
    if (failure) {
        return failure;
    }
    status_ = LoginItemStatus::notRegistered;
    return std::nullopt;
}

}  // namespace platform::fake
