#include "app/AppDelegate.h"
#include "platform/ApplicationMain.h"
#include "shared/ViewSite.h"

int main(int argc, char** argv) {
    return platform::applicationMain(argc, argv, ViewSite::origin(), [](platform::Platform& platform) {
        return std::make_unique<AppDelegate>(platform);
    });
}
