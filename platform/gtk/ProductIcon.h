#pragma once

#include "platform/Bundle.h"

namespace platform::gtk {

// Gives every window the application makes from now on (the wallpaper, the settings
// window, alerts) the product's icon, at every size the bundle holds, so title bars,
// task lists and docks show it rather than a generic one. Logs once when the bundle
// holds none.
void useProductIconForEveryWindow(const Bundle& bundle);

}  // namespace platform::gtk
