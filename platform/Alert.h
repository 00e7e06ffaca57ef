#pragma once

#include <string>
#include <vector>

namespace platform {

enum class AlertStyle { warning = 0, informational = 1, critical = 2 };

// What a modal alert answers: the first button gives 1000, the second 1001, and so on.
inline constexpr int alertFirstButtonReturn = 1000;
inline constexpr int alertSecondButtonReturn = 1001;

// A modal question or notice. Without buttons the alert offers the platform's
// single default button, which answers alertFirstButtonReturn.
struct Alert {
    std::string messageText;
    std::string informativeText;
    AlertStyle style = AlertStyle::warning;
    std::vector<std::string> buttons;
};

// Shows alerts modally: runModal returns when the user has answered.
class AlertPresenter {
public:
    virtual ~AlertPresenter() = default;
    virtual int runModal(const Alert& alert) = 0;
};

}  // namespace platform
