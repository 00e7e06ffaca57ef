#pragma once

#include "platform/Alert.h"
#include "platform/fake/CallRecord.h"

#include <deque>
#include <vector>

namespace platform::fake {

// Records each alert and answers with the next scripted response (the first
// button when none is left).
class FakeAlertPresenter : public AlertPresenter {
public:
    explicit FakeAlertPresenter(CallRecord& record) : record_(record) {}
    int runModal(const Alert& alert) override;

    std::vector<Alert> shown;
    std::deque<int> answers;

private:
    CallRecord& record_;
};

}  // namespace platform::fake
