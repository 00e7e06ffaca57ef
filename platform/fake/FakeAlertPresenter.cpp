#include "platform/fake/FakeAlertPresenter.h"

namespace platform::fake {

int FakeAlertPresenter::runModal(const Alert& alert) {
    std::string buttons;
    for (const auto& title : alert.buttons) {
        buttons += " [" + title + "]";
    }
    record_.add("alert " + alert.messageText + buttons);
    shown.push_back(alert);
    if (answers.empty()) {
        return alertFirstButtonReturn;
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

}  // namespace platform::fake
