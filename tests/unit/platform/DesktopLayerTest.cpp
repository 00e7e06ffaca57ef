#include "platform/DesktopPlacement.h"
#include "platform/DesktopStacking.h"
#include "platform/RestackBudget.h"

#include <gtest/gtest.h>

using platform::DesktopStyleFollower;
using platform::DesktopWindowStyle;
using platform::desktopWindowStyleFor;
using platform::Restack;
using platform::restackAmongDesktopClients;
using platform::restackAmongRootChildren;

TEST(DesktopWindowStyle, ManagersThatFrameOrFloatADesktopWindowGetAnUnmanagedOne) {
    // The names exactly as the managers announce them, in any case.
    EXPECT_EQ(desktopWindowStyleFor("i3"), DesktopWindowStyle::unmanagedAtBottom);
    EXPECT_EQ(desktopWindowStyleFor("Openbox"), DesktopWindowStyle::unmanagedAtBottom);
    EXPECT_EQ(desktopWindowStyleFor("OPENBOX"), DesktopWindowStyle::unmanagedAtBottom);
    EXPECT_EQ(desktopWindowStyleFor("Xfwm4"), DesktopWindowStyle::unmanagedAtBottom);
    EXPECT_EQ(desktopWindowStyleFor("Fluxbox"), DesktopWindowStyle::unmanagedAtBottom);
    // No manager: nobody would keep a managed window below the others.
    EXPECT_EQ(desktopWindowStyleFor(std::nullopt), DesktopWindowStyle::unmanagedAtBottom);
}

TEST(DesktopWindowStyle, OtherManagersGetTheStandardDesktopWindow) {
    for (const char* name : {"GNOME Shell", "Mutter", "KWin", "IceWM 3.3.1", "", "i3-like", "xfwm"}) {
        EXPECT_EQ(desktopWindowStyleFor(name), DesktopWindowStyle::managedDesktopType) << name;
    }
}

TEST(DesktopWindowStyle, OnlyKWinDrawsSeeThroughDesktopWindowsOpaque) {
    EXPECT_TRUE(platform::managerDrawsDesktopWindowsOpaque("KWin"));
    EXPECT_TRUE(platform::managerDrawsDesktopWindowsOpaque("kwin"));
    for (const char* name : {"GNOME Shell", "Mutter", "Xfwm4", "KWin-like", ""}) {
        EXPECT_FALSE(platform::managerDrawsDesktopWindowsOpaque(name)) << name;
    }
    EXPECT_FALSE(platform::managerDrawsDesktopWindowsOpaque(std::nullopt));
}

TEST(DesktopStyleFollower, ChangesTheWindowOnlyWhenTheNewManagerNeedsTheOtherStyle) {
    // The wallpaper started before any manager.
    DesktopStyleFollower follower(std::nullopt);
    EXPECT_EQ(follower.style(), DesktopWindowStyle::unmanagedAtBottom);
    // openbox starts: the unmanaged window suits it as well.
    EXPECT_FALSE(follower.managerNow("Openbox"));
    // mutter --replace takes over: the window becomes a managed desktop window.
    auto change = follower.managerNow("Mutter");
    ASSERT_TRUE(change);
    EXPECT_EQ(change->style, DesktopWindowStyle::managedDesktopType);
    EXPECT_EQ(follower.style(), DesktopWindowStyle::managedDesktopType);
    EXPECT_NE(change->logLine.find("Mutter"), std::string::npos) << change->logLine;
    // The same manager announcing itself again, or another that suits the style, changes nothing.
    EXPECT_FALSE(follower.managerNow("Mutter"));
    EXPECT_FALSE(follower.managerNow("KWin"));
    // Replaced by one that frames desktop windows, then gone: unmanaged again, once.
    change = follower.managerNow("i3");
    ASSERT_TRUE(change);
    EXPECT_EQ(change->style, DesktopWindowStyle::unmanagedAtBottom);
    EXPECT_FALSE(follower.managerNow(std::nullopt));
    ASSERT_TRUE(follower.managerNow("KWin"));
    change = follower.managerNow(std::nullopt);
    ASSERT_TRUE(change);
    EXPECT_EQ(change->style, DesktopWindowStyle::unmanagedAtBottom);
    EXPECT_NE(change->logLine.find("No window manager"), std::string::npos) << change->logLine;
}

TEST(DesktopStyleFollower, AManagersNameReachesTheLogAsPlainCharactersOnly) {
    DesktopStyleFollower follower("Openbox");
    const auto change = follower.managerNow("Evil\nWM\x1b[31m");
    ASSERT_TRUE(change);
    EXPECT_EQ(change->logLine.find('\n'), std::string::npos) << change->logLine;
    EXPECT_EQ(change->logLine.find('\x1b'), std::string::npos) << change->logLine;
    EXPECT_NE(change->logLine.find("Evil?WM?[31m"), std::string::npos) << change->logLine;
}

TEST(RootChildrenStacking, AnUnmanagedWallpaperBelongsAtTheVeryBottom) {
    const std::uint64_t wallpaper = 7;
    EXPECT_EQ(restackAmongRootChildren({{7}, {1}, {2}}, wallpaper), Restack{});
    // A frame lowered beneath it (a manager placing a new desktop window, say).
    EXPECT_EQ(restackAmongRootChildren({{1}, {7}, {2}}, wallpaper), (Restack{Restack::Kind::toBottom, 0}));
    EXPECT_EQ(restackAmongRootChildren({{1, true}, {2}, {7}}, wallpaper), (Restack{Restack::Kind::toBottom, 0}));
    // Not (or no longer) a child of the root: nothing to do.
    EXPECT_EQ(restackAmongRootChildren({{1}, {2}}, wallpaper), Restack{});
    EXPECT_EQ(restackAmongRootChildren({}, wallpaper), Restack{});
}

TEST(DesktopClientStacking, AManagedWallpaperGoesBeneathTheLowestIconLayerBelowIt) {
    const std::uint64_t wallpaper = 7;
    // The icon layer mapped first lies under the wallpaper mapped later.
    EXPECT_EQ(restackAmongDesktopClients({{3, true}, {7}, {10}}, wallpaper), (Restack{Restack::Kind::belowSibling, 3}));
    // Two icon layers below: beneath the lowest, so both show above.
    EXPECT_EQ(restackAmongDesktopClients({{3, true}, {4, true}, {7}, {10}}, wallpaper),
              (Restack{Restack::Kind::belowSibling, 3}));
    // Ordinary windows below it (the manager keeps desktops below them anyway) are no reason to move.
    EXPECT_EQ(restackAmongDesktopClients({{2}, {7}, {3, true}}, wallpaper), Restack{});
}

TEST(DesktopClientStacking, NothingMovesWhenTheWallpaperIsAlreadyBeneathOrUnlisted) {
    const std::uint64_t wallpaper = 7;
    EXPECT_EQ(restackAmongDesktopClients({{7}, {3, true}, {10}}, wallpaper), Restack{});
    EXPECT_EQ(restackAmongDesktopClients({{3, true}, {10}}, wallpaper), Restack{});
    // The wallpaper's own entry never counts as an icon layer.
    EXPECT_EQ(restackAmongDesktopClients({{7, true}, {10}}, wallpaper), Restack{});
}

using platform::RestackBudget;
using Verdict = RestackBudget::Verdict;
using std::chrono::seconds;

TEST(RestackBudget, AllowsUpToTheLimitWithinThePeriodThenRefusesOnceLoudly) {
    RestackBudget budget(3, seconds(10));
    const auto start = RestackBudget::Clock::time_point{} + seconds(100);
    EXPECT_EQ(budget.request(start), Verdict::allowed);
    EXPECT_EQ(budget.request(start + seconds(1)), Verdict::allowed);
    EXPECT_EQ(budget.request(start + seconds(2)), Verdict::allowed);
    EXPECT_EQ(budget.request(start + seconds(3)), Verdict::refusedFirstTime);
    EXPECT_EQ(budget.request(start + seconds(4)), Verdict::refused);
    EXPECT_EQ(budget.nextAllowed(), start + seconds(10));
    // The oldest restack leaves the period: one more is allowed, and a fight after
    // that is reported again.
    EXPECT_EQ(budget.request(start + seconds(10)), Verdict::allowed);
    EXPECT_EQ(budget.request(start + seconds(10)), Verdict::refusedFirstTime);
}

TEST(RestackBudget, RestacksSpreadOverTimeAreNeverRefused) {
    RestackBudget budget(3, seconds(10));
    auto now = RestackBudget::Clock::time_point{} + seconds(100);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(budget.request(now), Verdict::allowed) << i;
        now += seconds(4);
    }
}
