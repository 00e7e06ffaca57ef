#pragma once

#include "app/AppDelegate.h"
#include "app/SettingsStore.h"
#include "platform/fake/RecordingPlatform.h"
#include "tests/support/TemporaryHome.h"

#include <memory>

namespace testing_support {

// A settings store of its own for each test (the application's is a single instance).
struct FreshSettingsStore : SettingsStore {};

// The application on the recording fake, with a temporary home folder and a bundle
// that holds both local pages.
struct AppLaunch {
    TemporaryHome home;
    std::filesystem::path bundlePath =
        makeBundle(home.path(), "Tavelo Live Wallpaper.app", {"index.html", "chartIndex.html"});
    platform::fake::RecordingPlatform fake{bundlePath};
    FreshSettingsStore settings;
    std::unique_ptr<AppDelegate> delegate;

    AppDelegate& launch() {
        delegate = std::make_unique<AppDelegate>(fake, settings);
        delegate->applicationDidFinishLaunching();
        return *delegate;
    }
    // A launch after the first one: the settings file records the first launch as done.
    AppDelegate& laterLaunch() {
        home.writeSettings(R"({"firstLaunchDone": true})");
        return launch();
    }
};

}  // namespace testing_support
