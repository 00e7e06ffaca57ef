#pragma once

#include "platform/Widget.h"

#include <functional>

namespace platform {

// A borderless button drawn as a link, in the theme's link colour.
class LinkButton : public Widget {
public:
    virtual void setOnClick(std::function<void()> handler) = 0;
};

}  // namespace platform
