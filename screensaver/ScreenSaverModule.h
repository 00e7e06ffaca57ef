#pragma once

#include "platform/Rect.h"
#include "platform/ScreenSaverServices.h"
#include "screensaver/ScreenSaverView.h"

// The one entry point of a screen-saver module: a host looks a class up by the name
// the bundle's information dictionary gives ("NSPrincipalClass") and makes views of it.
extern "C" {

struct TaveloScreenSaverClass {
    const char* name;
    // A new view that the caller owns, or null when the view's initialiser gives none.
    screensaver::ScreenSaverView* (*makeView)(const platform::Rect* frame, bool isPreview,
                                              platform::ScreenSaverServices* services);
};

// The class of this module with that name, or null.
const TaveloScreenSaverClass* tavelo_screensaver_class_named(const char* name);
}

inline constexpr const char* screenSaverClassLookupSymbol = "tavelo_screensaver_class_named";
using ScreenSaverClassLookup = const TaveloScreenSaverClass* (*)(const char*);
