#include "platform/linux/XScreenSaverInstaller.h"

#include "platform/Bundle.h"
#include "platform/Log.h"
#include "platform/ProductNames.h"
#include "platform/linux/ScreenSaverBundleCheck.h"
#include "platform/linux/XScreenSaverPrograms.h"

#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <system_error>

namespace platform {

namespace {
constexpr const char* screenSaverLabel = product::name;
}  // namespace

XScreenSaverInstaller::XScreenSaverInstaller(AlertPresenter& alerts, std::filesystem::path host,
                                             std::filesystem::path settingsFile)
    : alerts_(alerts), host_(std::move(host)), settingsFile_(std::move(settingsFile)) {}

std::string XScreenSaverInstaller::commandFor(const std::filesystem::path& saverBundle) const {
    std::string command = shellWord(host_.string()) + " --root";
    const auto ownBundle = Bundle::locate(host_, saverBundle.filename().string());
    std::error_code error;
    if (!ownBundle || !std::filesystem::equivalent(ownBundle->bundlePath(), saverBundle, error)) {
        command += " --saver " + shellWord(saverBundle.string());
    }
    return command;
}

bool XScreenSaverInstaller::install(const std::filesystem::path& saverBundle) {
    // Anything can be named like a bundle; registering it would leave a screen saver
    // that never starts, after telling the user it was installed.
    if (const auto problem = screenSaverBundleProblem(saverBundle)) {
        reportFailure("What was found is not a screen-saver bundle: " + *problem + ".");
        return false;
    }
    const int answer = alerts_.runModal(Alert{
        "Install the screen saver \u201C" + saverBundle.stem().string() + "\u201D?",
        "It will become XScreenSaver's screen saver, for you only.",
        AlertStyle::informational,
        {"Install", "Cancel"},
    });
    if (answer != alertFirstButtonReturn) {
        return false;
    }
    if (::access(host_.c_str(), X_OK) != 0) {
        reportFailure("The screen-saver program " + host_.string() + " is missing.");
        return false;
    }

    const auto result = registerXScreenSaverProgram(settingsFile_, {screenSaverLabel, commandFor(saverBundle)});
    if (result.outcome == RegistrationOutcome::failed) {
        reportFailure("XScreenSaver's settings could not be changed: " + result.error + ".");
        return false;
    }
    systemLog(result.outcome == RegistrationOutcome::added
                  ? "✅ Screen saver registered with XScreenSaver in " + settingsFile_.string()
                  : "✅ Screen saver already registered with XScreenSaver in " + settingsFile_.string());

    // Installing a screen saver makes it the one in use, as a system installer does.
    std::string where = std::string("\u201C") + screenSaverLabel +
                        "\u201D is now XScreenSaver's screen saver. To choose another, use XScreenSaver's "
                        "settings: \u201COpen Screen Saver Preferences\u201D in the Tavelo menu, or the program "
                        "xscreensaver-settings.";
    if (!programOnPath("xscreensaver")) {
        where += " XScreenSaver itself is not installed yet: install the package \u201Cxscreensaver\u201D to run it.";
    }
    alerts_.runModal(Alert{"Screen Saver Installed", where, AlertStyle::informational, {}});
    return true;
}

void XScreenSaverInstaller::reportFailure(const std::string& reason) {
    systemLog("❌ Screen saver not installed: " + reason);
    alerts_.runModal(Alert{"Screen Saver Not Installed", reason, AlertStyle::warning, {}});
}

bool programOnPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (!folder.empty() && ::access((std::filesystem::path(folder) / program).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace platform
