#pragma once

#include "platform/Rect.h"

#include <chrono>
#include <optional>
#include <string>

namespace platform {

// What a window manager did with a managed wallpaper window, read back from the X
// server: whether it sits in a frame of the manager's, where it is on the screen, and
// whether a shown window of another program lies beneath it.
struct DesktopWindowSighting {
    bool framed = false;
    Rect onScreen;
    bool aboveAClient = false;
    // Someone (the manager, for its root menu) takes the clicks on the root window.
    bool rootTakesClicks = false;
};

// Judges, whatever the manager calls itself, whether it treats a managed desktop
// window as a desktop: left where it was put, at the size it asked for, out of any
// frame that catches the clicks meant for the root window beneath (a frame only
// matters where someone takes those clicks: a manager's root menu), and below every
// shown window. Managers do their work in steps (a frame first, a move after), so
// only a fault still there on a second look some time later is a verdict.
class DesktopWindowTreatment {
public:
    using Clock = std::chrono::steady_clock;

    DesktopWindowTreatment(Rect intended, Clock::duration patience);

    struct Verdict {
        enum class Kind {
            fits,
            // A fault was seen for the first time: look again at `lookAgainAt`.
            lookAgain,
            mishandled,
        } kind = Kind::fits;
        Clock::time_point lookAgainAt{};
        // For a mishandled window, what the manager did, as a phrase ("put it in a frame").
        std::string what;
    };

    Verdict judge(const DesktopWindowSighting& sighting, Clock::time_point now);

    // Another manager took over: what the last one did says nothing about it.
    void forget() { firstFault_.reset(); }

private:
    std::optional<std::string> faultIn(const DesktopWindowSighting& sighting) const;

    Rect intended_;
    Clock::duration patience_;
    std::optional<Clock::time_point> firstFault_;
};

}  // namespace platform
