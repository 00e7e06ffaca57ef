#pragma once

#include "platform/Widget.h"

#include <functional>

namespace platform {

// A titled checkbox. A click flips the state first and then calls the toggle
// handler; setting the state from code calls nothing.
class Checkbox : public Widget {
public:
    using ToggleHandler = std::function<void(Checkbox&)>;

    virtual void setState(bool on) = 0;
    virtual bool state() const = 0;
    virtual void setOnToggle(ToggleHandler handler) = 0;
};

}  // namespace platform
