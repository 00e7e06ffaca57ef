#include "app/AppDelegate.h"
#include "platform/ApplicationMain.h"

int main(int argc, char** argv) {
    return platform::applicationMain(argc, argv, [](platform::Platform& platform) {
        return std::make_unique<AppDelegate>(platform);
    });
}
