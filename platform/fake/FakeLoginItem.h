#pragma once

#include "platform/LoginItem.h"
#include "platform/fake/CallRecord.h"

namespace platform::fake {

class FakeLoginItem : public LoginItem {
public:
    explicit FakeLoginItem(CallRecord& record) : record_(record) {}

    LoginItemStatus status() const override { return status_; }
    std::optional<std::string> registerItem() override;
    std::optional<std::string> unregisterItem() override;

    LoginItemStatus status_ = LoginItemStatus::notRegistered;
    // When set, the next calls fail with this description.
    std::optional<std::string> failure;

private:
    CallRecord& record_;
};

}  // namespace platform::fake
