#include "platform/gtk/WebEngineTuning.h"

#include "platform/Log.h"
#include "platform/gtk/GLRendererProbe.h"
#include "platform/gtk/LocalPageScheme.h"
#include "platform/linux/ScopedEnvironmentVariable.h"

#include <epoxy/egl.h>

#include <cstdlib>
#include <memory>
#include <system_error>
#include <utility>

namespace platform::gtk {
namespace {

// A live view needs a few tens of MiB once drawn. Above these fractions of the limit
// (48 and 96 MiB) the web process drops its caches (conservative) and then everything
// it can rebuild (strict): set just above what a drawn view needs, so the caches a page
// leaves behind over a day are given back rather than kept (measured: 9 MiB less, and
// no slow climb). It is never killed for memory, since a blank wallpaper is worse.
constexpr guint kMemoryLimitMiB = 320;
constexpr double kConservativeThreshold = 0.15;
constexpr double kStrictThreshold = 0.3;
constexpr double kPollSeconds = 20;

struct MemoryPressureSettingsFree {
    void operator()(WebKitMemoryPressureSettings* settings) const { webkit_memory_pressure_settings_free(settings); }
};
using MemoryPressureSettingsPtr = std::unique_ptr<WebKitMemoryPressureSettings, MemoryPressureSettingsFree>;

MemoryPressureSettingsPtr memoryPressureSettings() {
    MemoryPressureSettingsPtr settings(webkit_memory_pressure_settings_new());
    webkit_memory_pressure_settings_set_memory_limit(settings.get(), kMemoryLimitMiB);
    webkit_memory_pressure_settings_set_conservative_threshold(settings.get(), kConservativeThreshold);
    webkit_memory_pressure_settings_set_strict_threshold(settings.get(), kStrictThreshold);
    webkit_memory_pressure_settings_set_kill_threshold(settings.get(), 0);
    webkit_memory_pressure_settings_set_poll_interval(settings.get(), kPollSeconds);
    return settings;
}

// The GL driver library loader (libglvnd) reads its list of drivers once, at the
// first EGL call; a file that cannot exist (/dev/null is no folder) leaves it none.
constexpr const char* kEGLDriverListVariable = "__EGL_VENDOR_LIBRARY_FILENAMES";
constexpr const char* kNoEGLDriver = "/dev/null/no-driver.json";

void cancelDownload(WebKitWebContext*, WebKitDownload* download, gpointer) { webkit_download_cancel(download); }

}  // namespace

WebEngineTuning::WebEngineTuning(const Setup& setup) : choice_(chooseAcceleration(probeGLRenderer())) {
    // The engine reads its script options from the environment when a web process
    // starts. The pages' scripts are small and mostly wait for the next data file:
    // compiling them buys no CPU (measured: the same or less over the first minute) and
    // its code and memory cost the web process some 11 MiB.
    setForEngineUnlessSet("JSC_useJIT", "0");
    if (choice_.policy != AccelerationPolicy::never) {
        return;
    }
    if (setup.keepGLOutWhereUnused) {
        // The toolkit reads its GL setting when it opens the display; the web processes'
        // toolkit, when theirs does.
        setForEngineUnlessSet("GDK_GL", "disable");
        keepEGLOutOfThisProcess();
    }
    if (!setup.displayOnlyEGLVendorFile.empty()) {
        drawWebProcessesWithoutGLDriver(setup.displayOnlyEGLVendorFile);
    }
}

// The engine looks at EGL when its first context is made, and this process would load
// the driver for nothing. The loader reads its driver list now, while it is empty, and
// keeps it; the web processes, started later, read the list meant for them.
void WebEngineTuning::keepEGLOutOfThisProcess() {
    const ScopedEnvironmentVariable noEGLDriver(kEGLDriverListVariable, kNoEGLDriver);
    (void)epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_EXT_platform_base");
}

void WebEngineTuning::drawWebProcessesWithoutGLDriver(const std::filesystem::path& vendorFile) {
    // Someone who named their EGL drivers keeps them; a bundle without the driver still
    // runs, its web processes load the system's.
    std::error_code error;
    if (std::getenv(kEGLDriverListVariable) != nullptr || !std::filesystem::is_regular_file(vendorFile, error)) {
        return;
    }
    setForEngineUnlessSet(kEGLDriverListVariable, vendorFile.string());
    webProcessesHaveNoGL_ = true;
    // The toolkit in a web process opens the display too, and would load the GL
    // driver to look for GL visuals.
    setForEngineUnlessSet("GDK_GL", "disable");
}

void WebEngineTuning::setForEngineUnlessSet(const char* name, const std::string& value) {
    if (std::getenv(name) != nullptr) {
        return;
    }
    ::setenv(name, value.c_str(), 1);
    variablesSetForEngine_.emplace_back(name);
}

void WebEngineTuning::removeEngineOnlySettings(GAppLaunchContext* context) const {
    for (const auto& name : variablesSetForEngine_) {
        g_app_launch_context_unsetenv(context, name.c_str());
    }
}

GStrvPtr WebEngineTuning::environmentForOtherPrograms() const {
    GStrv environment = g_get_environ();
    for (const auto& name : variablesSetForEngine_) {
        environment = g_environ_unsetenv(environment, name.c_str());
    }
    return GStrvPtr(environment);
}

GObjectPtr<WebKitWebContext> WebEngineTuning::newContext(bool ephemeral) {
    // The network process is shared by every context and reads its settings once, before
    // it starts: set them with the first context.
    const auto settings = memoryPressureSettings();
    if (!std::exchange(networkProcessTuned_, true)) {
        webkit_website_data_manager_set_memory_pressure_settings(settings.get());
    }
    GObjectPtr<WebKitWebContext> context;
    if (ephemeral) {
        auto manager = adoptGObject(webkit_website_data_manager_new_ephemeral());
        context =
            adoptGObject(WEBKIT_WEB_CONTEXT(g_object_new(WEBKIT_TYPE_WEB_CONTEXT, "website-data-manager", manager.get(),
                                                         "memory-pressure-settings", settings.get(), nullptr)));
    } else {
        context = adoptGObject(WEBKIT_WEB_CONTEXT(
            g_object_new(WEBKIT_TYPE_WEB_CONTEXT, "memory-pressure-settings", settings.get(), nullptr)));
    }
    LocalPageScheme::registerIn(context.get());
    // Anything a page would download has nobody to ask where it goes.
    g_signal_connect(context.get(), "download-started", G_CALLBACK(cancelDownload), nullptr);
    return context;
}

GObjectPtr<WebKitWebContext> WebEngineTuning::persistentContext() {
    if (!persistent_) {
        persistent_ = newContext(false);
    }
    return GObjectPtr<WebKitWebContext>(static_cast<WebKitWebContext*>(g_object_ref(persistent_.get())));
}

GObjectPtr<WebKitWebContext> WebEngineTuning::ephemeralContext() { return newContext(true); }

void WebEngineTuning::applyTo(WebKitSettings* settings) {
    if (!std::exchange(choiceLogged_, true)) {
        systemLog(choice_.logLine);
    }
    if (!accelerationLeftToEngine_) {
        const bool never = choice_.policy == AccelerationPolicy::never;
        webkit_settings_set_hardware_acceleration_policy(
            settings, never ? WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER : WEBKIT_HARDWARE_ACCELERATION_POLICY_ALWAYS);
    }
    // With no GL in the web process a page's WebGL could only fail; it is told at once
    // that there is none.
    if (webProcessesHaveNoGL_) {
        webkit_settings_set_enable_webgl(settings, FALSE);
    }
    // Switching views must not leave the previous page alive for a "back" that never comes.
    webkit_settings_set_enable_page_cache(settings, FALSE);
}

}  // namespace platform::gtk
