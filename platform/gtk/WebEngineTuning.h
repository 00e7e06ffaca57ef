#pragma once

#include "platform/gtk/GObjectPtr.h"
#include "platform/linux/ScopedEnvironmentVariable.h"

#include <gio/gio.h>
#include <webkit2/webkit2.h>

#include <filesystem>
#include <optional>

namespace platform::gtk {

// How every web context and web view of this process is set up for a page that runs
// all day behind everything else: GL compositing only where a real GPU does it,
// memory given back under pressure, no old pages kept for going back.
namespace WebEngineTuning {

// Where pages are drawn without GL, this process has no use for GL either; yet the
// toolkit loads the GL driver to look for GL visuals when it opens the display, and the
// engine does when it makes its first context: with Mesa's LLVM some 28 MiB that only
// sits there. Call before the display is opened; it makes the graphics choice (and
// logs it) now. Where GL is kept out, the guard it returns holds the toolkit's GL off
// until it is dropped, once the display is open, and the engine's first context is
// made with no EGL driver to find.
[[nodiscard]] std::optional<ScopedEnvironmentVariable> keepGLOutOfThisProcess();

// Where pages are drawn without GL, the engine's web processes need an EGL display and
// nothing more, yet Mesa's driver loads its rasteriser and LLVM to give one (some
// 30 MiB in every web process). They get the driver that `vendorFile` names instead, one
// that offers a display and no GL (and their toolkit leaves GL alone, as this process's
// does). Call once the graphics choice is made; nothing changes where GL is kept, where
// the user named EGL drivers, or where the file is missing.
void drawWebProcessesWithoutGLDriver(const std::filesystem::path& vendorFile);

// Takes the settings meant only for the engine's own processes out of what `context`
// gives another program (a browser started from here is no page of ours).
void removeEngineOnlySettings(GAppLaunchContext* context);

// This process's environment without those settings, for a program started from here.
GStrvPtr environmentForOtherPrograms();

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
