#pragma once

#include "platform/Widget.h"

#include <string>

namespace platform {

// One line of text that the user cannot edit, select or click; no border, no background.
class Label : public Widget {
public:
    virtual void setTextColor(TextColor color) = 0;
};

}  // namespace platform
