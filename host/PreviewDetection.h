#pragma once

#include "platform/Rect.h"

namespace host {

// A target window much smaller than the screen it is on is a settings tool's preview:
// less than half the screen's width and less than half its height.
inline bool isPreviewFrame(const platform::Rect& target, const platform::Rect& screen) {
    return target.width * 2 < screen.width && target.height * 2 < screen.height;
}

}  // namespace host
