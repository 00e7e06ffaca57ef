#pragma once

#include "platform/GraphicsAcceleration.h"
#include "platform/gtk/GObjectPtr.h"

#include <gio/gio.h>
#include <webkit2/webkit2.h>

#include <filesystem>
#include <string>
#include <vector>

namespace platform::gtk {

// How every web context and web view of this process is set up for a page that runs
// all day behind everything else: GL compositing only where a real GPU does it,
// memory given back under pressure, no old pages kept for going back, page scripts
// without the JIT. One is made in main, before the toolkit starts, while the process
// still has one thread: everything that goes through the environment is set then, and
// never again. It is handed to whatever makes web contexts and views, and to what
// starts other programs (which must not get the engine's settings).
class WebEngineTuning {
public:
    struct Setup {
        // Where pages are drawn without GL, this process has no use for GL either; yet
        // the toolkit loads the GL driver to look for GL visuals when it opens the
        // display, and the engine does when it makes its first context: with Mesa's
        // LLVM some 28 MiB that only sits there. Kept out, both find none.
        bool keepGLOutWhereUnused = false;
        // Where pages are drawn without GL, the engine's web processes need an EGL
        // display and nothing more, yet Mesa's driver loads its rasteriser and LLVM to
        // give one (some 30 MiB in every web process). They get the driver this file
        // names instead, one that offers a display and no GL (and their toolkit leaves
        // GL alone). Nothing changes where GL is kept, where the user named EGL drivers,
        // where the file is missing, or when this is empty.
        std::filesystem::path displayOnlyEGLVendorFile;
    };

    // Makes the graphics choice now (logged with the first view).
    explicit WebEngineTuning(const Setup& setup);
    WebEngineTuning(const WebEngineTuning&) = delete;
    WebEngineTuning& operator=(const WebEngineTuning&) = delete;

    // For web views drawn into another client's window (an embedded screen saver): that
    // client may destroy the window at any moment, and drawing without GL compositing then
    // fails with X errors that end the process. There the engine keeps its own choice.
    void leaveAccelerationToEngine() { accelerationLeftToEngine_ = true; }

    // Takes the settings meant only for the engine's own processes out of what `context`
    // gives another program (a browser started from here is no page of ours).
    void removeEngineOnlySettings(GAppLaunchContext* context) const;
    // This process's environment without those settings, for a program started from here.
    GStrvPtr environmentForOtherPrograms() const;

    // The context every view with a persistent data store shares, made with the first.
    GObjectPtr<WebKitWebContext> persistentContext();
    // A context of its own, with an ephemeral data store.
    GObjectPtr<WebKitWebContext> ephemeralContext();

    // Applies the per-view settings; the first call logs the graphics choice.
    void applyTo(WebKitSettings* settings);

private:
    void setForEngineUnlessSet(const char* name, const std::string& value);
    void keepEGLOutOfThisProcess();
    void drawWebProcessesWithoutGLDriver(const std::filesystem::path& vendorFile);
    GObjectPtr<WebKitWebContext> newContext(bool ephemeral);

    AccelerationChoice choice_;
    bool choiceLogged_ = false;
    bool webProcessesHaveNoGL_ = false;
    bool accelerationLeftToEngine_ = false;
    bool networkProcessTuned_ = false;
    // Settings set for the engine's processes through the environment, that another
    // program started from here must not get. One the user set is theirs, and passed on.
    std::vector<std::string> variablesSetForEngine_;
    GObjectPtr<WebKitWebContext> persistent_;
};

}  // namespace platform::gtk
