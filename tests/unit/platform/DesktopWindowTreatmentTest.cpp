#include "platform/DesktopPlacement.h"
#include "platform/DesktopWindowTreatment.h"

#include <gtest/gtest.h>

using platform::DesktopStyleFollower;
using platform::DesktopWindowSighting;
using platform::DesktopWindowStyle;
using platform::DesktopWindowTreatment;
using platform::Rect;
using Kind = DesktopWindowTreatment::Verdict::Kind;
using std::chrono::milliseconds;

namespace {

const Rect screen{0, 0, 1920, 1080};
const auto start = DesktopWindowTreatment::Clock::time_point{} + std::chrono::seconds(50);

DesktopWindowSighting asIntended() { return {false, screen, false, true}; }

// The verdict on a fault seen once, then again once the patience has run out.
DesktopWindowTreatment::Verdict verdictOnLastingFault(const DesktopWindowSighting& sighting) {
    DesktopWindowTreatment treatment(screen, milliseconds(500));
    const auto first = treatment.judge(sighting, start);
    EXPECT_EQ(first.kind, Kind::lookAgain);
    EXPECT_EQ(first.lookAgainAt, start + milliseconds(500));
    return treatment.judge(sighting, start + milliseconds(500));
}

}  // namespace

TEST(DesktopWindowTreatment, AWindowLeftWhereItWasPutFits) {
    DesktopWindowTreatment treatment(screen, milliseconds(500));
    EXPECT_EQ(treatment.judge(asIntended(), start).kind, Kind::fits);
    // A second monitor's wallpaper lies where its monitor is.
    DesktopWindowTreatment right(Rect{1920, 0, 1280, 1024}, milliseconds(500));
    EXPECT_EQ(right.judge({false, Rect{1920, 0, 1280, 1024}, false, true}, start).kind, Kind::fits);
    // KWin frames every window, but nobody takes the root window's clicks there: the
    // frame takes nothing from anyone.
    EXPECT_EQ(treatment.judge({true, screen, false, false}, start).kind, Kind::fits);
}

TEST(DesktopWindowTreatment, EachLastingFaultIsAVerdictThatSaysWhatTheManagerDid) {
    // icewm and awesome put it in a frame (which also offsets it): the frame is the story.
    auto verdict = verdictOnLastingFault({true, Rect{1, 22, 1918, 1057}, false, true});
    EXPECT_EQ(verdict.kind, Kind::mishandled);
    EXPECT_EQ(verdict.what, "put it in a frame");
    // dwm moves a floating window below its bar.
    verdict = verdictOnLastingFault({true, screen, false, true});
    EXPECT_EQ(verdict.what, "put it in a frame");
    verdict = verdictOnLastingFault({false, Rect{0, 18, 1920, 1080}, false, true});
    EXPECT_EQ(verdict.kind, Kind::mishandled);
    EXPECT_EQ(verdict.what, "moved it to 0,18");
    verdict = verdictOnLastingFault({false, Rect{0, 0, 1920, 1058}, false, false});
    EXPECT_EQ(verdict.kind, Kind::mishandled);
    EXPECT_EQ(verdict.what, "resized it to 1920x1058");
    verdict = verdictOnLastingFault({false, screen, true, false});
    EXPECT_EQ(verdict.kind, Kind::mishandled);
    EXPECT_EQ(verdict.what, "stacked it above another window");
}

TEST(DesktopWindowTreatment, AFaultTheManagerMendsInTimeIsNoVerdict) {
    DesktopWindowTreatment treatment(screen, milliseconds(500));
    // A new window's frame is briefly stacked beneath before the manager lowers the desktop.
    EXPECT_EQ(treatment.judge({false, screen, true, true}, start).kind, Kind::lookAgain);
    EXPECT_EQ(treatment.judge(asIntended(), start + milliseconds(100)).kind, Kind::fits);
    // The next fault starts a fresh wait, from when it is seen.
    const auto later = start + milliseconds(2000);
    const auto verdict = treatment.judge({false, Rect{0, 30, 1920, 1080}, false, true}, later);
    EXPECT_EQ(verdict.kind, Kind::lookAgain);
    EXPECT_EQ(verdict.lookAgainAt, later + milliseconds(500));
    // Too early a second look keeps waiting for the same moment.
    EXPECT_EQ(treatment.judge({false, Rect{0, 30, 1920, 1080}, false, true}, later + milliseconds(499)).lookAgainAt,
              later + milliseconds(500));
    // Another manager took over: its faults are waited for afresh.
    treatment.forget();
    EXPECT_EQ(treatment.judge({true, screen, false, true}, later + milliseconds(600)).kind, Kind::lookAgain);
}

TEST(DesktopWindowTreatment, SubpixelPlacementIsNoMove) {
    DesktopWindowTreatment treatment(Rect{0, 0, 1920.4, 1080}, milliseconds(0));
    EXPECT_EQ(treatment.judge({false, Rect{0.2, 0, 1920, 1080}, false, true}, start).kind, Kind::fits);
}

TEST(DesktopStyleFollower, AManagerThatMishandlesTheWindowGetsTheUnmanagedOneForAsLongAsItRuns) {
    DesktopStyleFollower follower("IceWM 3.3.1");
    ASSERT_EQ(follower.style(), DesktopWindowStyle::managedDesktopType);
    const auto change = follower.managerMishandledWindow("put it in a frame");
    ASSERT_TRUE(change);
    EXPECT_EQ(change->style, DesktopWindowStyle::unmanagedAtBottom);
    EXPECT_EQ(follower.style(), DesktopWindowStyle::unmanagedAtBottom);
    EXPECT_EQ(change->logLine,
              "The window manager IceWM 3.3.1 mishandles the wallpaper's desktop window (put it in a frame): the "
              "wallpaper becomes an unmanaged window that keeps itself at the bottom.");
    // One line only, however often it is seen again.
    EXPECT_FALSE(follower.managerMishandledWindow("moved it to 1,22"));
    // The same manager restarting is still the same manager.
    EXPECT_FALSE(follower.managerNow("IceWM 3.3.1"));
    EXPECT_EQ(follower.style(), DesktopWindowStyle::unmanagedAtBottom);
    // Another manager gets the standard window again and its own chance.
    const auto next = follower.managerNow("Mutter");
    ASSERT_TRUE(next);
    EXPECT_EQ(next->style, DesktopWindowStyle::managedDesktopType);
}

TEST(DesktopStyleFollower, WhatAManagerDidReachesTheLogAsPlainCharacters) {
    DesktopStyleFollower follower("dwm\n");
    const auto change = follower.managerMishandledWindow("moved\x1b[2J it");
    ASSERT_TRUE(change);
    EXPECT_EQ(change->logLine.find('\x1b'), std::string::npos) << change->logLine;
    EXPECT_EQ(change->logLine.find('\n'), std::string::npos) << change->logLine;
}
