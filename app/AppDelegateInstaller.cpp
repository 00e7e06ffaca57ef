#include "app/AppDelegate.h"

#include "platform/Alert.h"
#include "platform/FileURL.h"
#include "platform/ProductNames.h"

#include <filesystem>
#include <system_error>

namespace {
constexpr const char* saverResourceExtension = "saver";
}  // namespace

std::optional<std::string> AppDelegate::screensaverBundleURL() const {
    const auto beside = platform_.mainBundle().bundlePath().parent_path() / product::screenSaverBundleName;
    std::error_code error;
    // Anything by that name counts: handing it over is the installer's business.
    if (std::filesystem::exists(beside, error)) {
        return platform::fileURLFromPath(beside);
    }
    return platform_.mainBundle().urlForResource(product::screenSaverName, saverResourceExtension);
}

void AppDelegate::installScreensaver() {
    const auto bundleURL = screensaverBundleURL();
    if (!bundleURL) {
        platform_.alerts().runModal(platform::Alert{
            "Screen Saver Not Found",
            "Could not find the screen saver bundle. Make sure it's in the same folder as Tavelo.",
            platform::AlertStyle::warning,
            {},
        });
        return;
    }
    // The system's installer takes over; whatever it decides is its own to report.
    (void)platform_.workspace().open(*bundleURL);
}

void AppDelegate::promptScreensaverInstallIfNeeded() {
    const int answer = platform_.alerts().runModal(platform::Alert{
        "Install Screen Saver?",
        "Tavelo includes a screen saver showing the same live view. Install it now?",
        platform::AlertStyle::informational,
        {"Install Screen Saver", "Later"},
    });
    if (answer == platform::alertFirstButtonReturn) {
        installScreensaver();
    }
}
