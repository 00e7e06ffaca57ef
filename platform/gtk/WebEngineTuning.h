#pragma once

#include <webkit2/webkit2.h>

namespace platform::gtk {

// How every web context and web view of this process is set up for a page that runs
// all day behind everything else: GL compositing only where a real GPU does it,
// memory given back under pressure, no old pages kept for going back.
namespace WebEngineTuning {

// A new web context (persistent or ephemeral) with the process's memory limits.
// The caller owns the returned reference.
WebKitWebContext* newContext(bool ephemeral);

// For web views drawn into another client's window (an embedded screen saver): that
// client may destroy the window at any moment, and drawing without GL compositing then
// fails with X errors that end the process. There the engine keeps its own choice.
void leaveAccelerationToEngine();

// Applies the per-view settings; the first call asks the GL once and logs the choice.
void applyTo(WebKitSettings* settings);

}  // namespace WebEngineTuning

}  // namespace platform::gtk
