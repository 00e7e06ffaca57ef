#include "platform/gtk/WebEngineTuning.h"

#include "platform/GraphicsAcceleration.h"
#include "platform/Log.h"
#include "platform/gtk/GLRendererProbe.h"
#include "platform/gtk/GObjectPtr.h"

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

AccelerationPolicy processPolicy() {
    static const AccelerationPolicy policy = [] {
        const AccelerationChoice choice = chooseAcceleration(probeGLRenderer());
        systemLog(choice.logLine);
        return choice.policy;
    }();
    return policy;
}

bool& accelerationLeftToEngine() {
    static bool left = false;
    return left;
}

}  // namespace

void leaveAccelerationToEngine() { accelerationLeftToEngine() = true; }

WebKitWebContext* newContext(bool ephemeral) {
    tuneNetworkProcessOnce();
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
    // Switching views must not leave the previous page alive for a "back" that never comes.
    webkit_settings_set_enable_page_cache(settings, FALSE);
}

}  // namespace platform::gtk::WebEngineTuning
