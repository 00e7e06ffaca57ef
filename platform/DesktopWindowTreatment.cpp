#include "platform/DesktopWindowTreatment.h"

#include <cmath>

namespace platform {

namespace {

bool samePixel(double a, double b) { return std::lround(a) == std::lround(b); }

std::string pixels(double value) { return std::to_string(std::lround(value)); }

}  // namespace

DesktopWindowTreatment::DesktopWindowTreatment(Rect intended, Clock::duration patience)
    : intended_(intended), patience_(patience) {}

// The first fault found, most telling first: a frame explains a move (the frame's
// border and title offset the window), a move explains nothing else. A frame where
// nobody takes the root window's clicks (KWin frames every window, desktops too)
// takes nothing from the user.
std::optional<std::string> DesktopWindowTreatment::faultIn(const DesktopWindowSighting& sighting) const {
    if (sighting.framed && sighting.rootTakesClicks) {
        return "put it in a frame";
    }
    const Rect& seen = sighting.onScreen;
    if (!samePixel(seen.x, intended_.x) || !samePixel(seen.y, intended_.y)) {
        return "moved it to " + pixels(seen.x) + "," + pixels(seen.y);
    }
    if (!samePixel(seen.width, intended_.width) || !samePixel(seen.height, intended_.height)) {
        return "resized it to " + pixels(seen.width) + "x" + pixels(seen.height);
    }
    if (sighting.aboveAClient) {
        return "stacked it above another window";
    }
    return std::nullopt;
}

DesktopWindowTreatment::Verdict DesktopWindowTreatment::judge(const DesktopWindowSighting& sighting,
                                                              Clock::time_point now) {
    auto fault = faultIn(sighting);
    if (!fault) {
        firstFault_.reset();
        return {};
    }
    if (!firstFault_) {
        firstFault_ = now;
    }
    if (now - *firstFault_ < patience_) {
        return {Verdict::Kind::lookAgain, *firstFault_ + patience_, {}};
    }
    return {Verdict::Kind::mishandled, {}, std::move(*fault)};
}

}  // namespace platform
