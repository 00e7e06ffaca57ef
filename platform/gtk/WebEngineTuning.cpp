#include "platform/gtk/WebEngineTuning.h"

#include "platform/GraphicsAcceleration.h"
#include "platform/Log.h"
#include "platform/gtk/GLRendererProbe.h"
#include "platform/gtk/GObjectPtr.h"
#include "platform/linux/ScopedEnvironmentVariable.h"

#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

namespace platform::gtk::WebEngineTuning {
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

// The network process is shared by every context and reads its settings once, before
// it starts: set them with the first context.
void tuneNetworkProcessOnce() {
    static const bool done = [] {
        const auto settings = memoryPressureSettings();
        webkit_website_data_manager_set_memory_pressure_settings(settings.get());
        return true;
    }();
    (void)done;
}

// Made once, before anything needs it; logged once, when the first view is set up
// (a process that restarts itself before then logs nothing).
const AccelerationChoice& processChoice() {
    static const AccelerationChoice choice = chooseAcceleration(probeGLRenderer());
    return choice;
}

AccelerationPolicy processPolicy() {
    static const bool logged = [] {
        systemLog(processChoice().logLine);
        return true;
    }();
    (void)logged;
    return processChoice().policy;
}

// Settings this process passes to the engine's processes through the environment, and
// that another program started from here must not get. One the user set is theirs,
// left as it is and passed on.
std::vector<const char*>& variablesSetForEngine() {
    static std::vector<const char*> names;
    return names;
}

void setForEngineUnlessSet(const char* name, const std::string& value) {
    if (std::getenv(name) != nullptr) {
        return;
    }
    ::setenv(name, value.c_str(), 1);
    variablesSetForEngine().push_back(name);
}

// The engine reads its script options from the environment when a web process starts.
// The pages' scripts are small and mostly wait for the next data file: compiling them
// buys no CPU (measured: the same or less over the first minute) and its code and
// memory cost the web process some 11 MiB.
void runPageScriptsWithoutJITOnce() {
    static const bool done = [] {
        setForEngineUnlessSet("JSC_useJIT", "0");
        return true;
    }();
    (void)done;
}

// The GL driver library loader (libglvnd) reads its list of drivers once, at the
// first EGL call; a file that cannot exist (/dev/null is no folder) leaves it none.
constexpr const char* kEGLDriverListVariable = "__EGL_VENDOR_LIBRARY_FILENAMES";
constexpr const char* kNoEGLDriver = "/dev/null/no-driver.json";

bool& glKeptOutOfThisProcess() {
    static bool keptOut = false;
    return keptOut;
}

bool& webProcessesHaveNoGL() {
    static bool noGL = false;
    return noGL;
}

bool& accelerationLeftToEngine() {
    static bool left = false;
    return left;
}

}  // namespace

void leaveAccelerationToEngine() { accelerationLeftToEngine() = true; }

std::optional<ScopedEnvironmentVariable> keepGLOutOfThisProcess() {
    if (processChoice().policy != AccelerationPolicy::Never) {
        return std::nullopt;
    }
    glKeptOutOfThisProcess() = true;
    return std::make_optional<ScopedEnvironmentVariable>("GDK_GL", "disable");
}

void drawWebProcessesWithoutGLDriver(const std::filesystem::path& vendorFile) {
    if (processChoice().policy != AccelerationPolicy::Never || accelerationLeftToEngine()) {
        return;
    }
    // Someone who named their EGL drivers keeps them; a bundle without the driver still
    // runs, its web processes load the system's.
    std::error_code error;
    if (std::getenv(kEGLDriverListVariable) != nullptr || !std::filesystem::is_regular_file(vendorFile, error)) {
        return;
    }
    setForEngineUnlessSet(kEGLDriverListVariable, vendorFile.string());
    webProcessesHaveNoGL() = true;
    // The toolkit in a web process opens the display too, and would load the GL
    // driver to look for GL visuals.
    setForEngineUnlessSet("GDK_GL", "disable");
}

void removeEngineOnlySettings(GAppLaunchContext* context) {
    for (const char* name : variablesSetForEngine()) {
        g_app_launch_context_unsetenv(context, name);
    }
}

GStrvPtr environmentForOtherPrograms() {
    GStrv environment = g_get_environ();
    for (const char* name : variablesSetForEngine()) {
        environment = g_environ_unsetenv(environment, name);
    }
    return GStrvPtr(environment);
}

WebKitWebContext* newContext(bool ephemeral) {
    tuneNetworkProcessOnce();
    runPageScriptsWithoutJITOnce();
    // The engine looks at EGL when its first context is made, and this process would
    // load the driver for nothing; the web processes, started later, find the driver
    // meant for them (they cannot start without an EGL display).
    std::optional<ScopedEnvironmentVariable> noEGLDriver;
    if (glKeptOutOfThisProcess()) {
        noEGLDriver.emplace(kEGLDriverListVariable, kNoEGLDriver);
    }
    const auto settings = memoryPressureSettings();
    if (ephemeral) {
        auto manager = adoptGObject(webkit_website_data_manager_new_ephemeral());
        return WEBKIT_WEB_CONTEXT(g_object_new(WEBKIT_TYPE_WEB_CONTEXT, "website-data-manager", manager.get(),
                                               "memory-pressure-settings", settings.get(), nullptr));
    }
    return WEBKIT_WEB_CONTEXT(
        g_object_new(WEBKIT_TYPE_WEB_CONTEXT, "memory-pressure-settings", settings.get(), nullptr));
}

void applyTo(WebKitSettings* settings) {
    if (!accelerationLeftToEngine()) {
        const bool never = processPolicy() == AccelerationPolicy::Never;
        webkit_settings_set_hardware_acceleration_policy(
            settings, never ? WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER : WEBKIT_HARDWARE_ACCELERATION_POLICY_ALWAYS);
    }
    // With no GL in the web process a page's WebGL could only fail; it is told at once
    // that there is none.
    if (webProcessesHaveNoGL()) {
        webkit_settings_set_enable_webgl(settings, FALSE);
    }
    // Switching views must not leave the previous page alive for a "back" that never comes.
    webkit_settings_set_enable_page_cache(settings, FALSE);
}

}  // namespace platform::gtk::WebEngineTuning
