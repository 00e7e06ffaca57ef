#include "screensaver/ScreenSaverModule.h"

#include "screensaver/Drovanik_Live_ScreensaverView.h"
#include "screensaver/ModuleBundle.h"

#include <cstring>

namespace {

screensaver::ScreenSaverView* makeDrovanikView(const platform::Rect* frame, bool isPreview,
                                               platform::ScreenSaverServices* services) {
    if (frame == nullptr || services == nullptr) {
        return nullptr;
    }
    Drovanik_Live_ScreensaverView::ModuleContext context{screensaver::bundleOfThisModule()};
    return Drovanik_Live_ScreensaverView::make(*frame, isPreview, *services, std::move(context)).release();
}

const TaveloScreenSaverClass principalClass{"Drovanik_Live_ScreensaverView", &makeDrovanikView};

}  // namespace

extern "C" __attribute__((visibility("default"))) const TaveloScreenSaverClass* tavelo_screensaver_class_named(
    const char* name) {
    if (name != nullptr && std::strcmp(name, principalClass.name) == 0) {
        return &principalClass;
    }
    return nullptr;
}
