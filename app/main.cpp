#include "app/AppDelegate.h"
#include "platform/ApplicationMain.h"
#include "platform/linux/ViewSiteLauncher.h"
#include "shared/ViewSite.h"

int main(int argc, char** argv) {
    // The built-in view site answers before the first page is asked of it.
    platform::startBuiltInViewSite(ViewSite::origin());
    return platform::applicationMain(
        argc, argv, [](platform::Platform& platform) { return std::make_unique<AppDelegate>(platform); });
}
