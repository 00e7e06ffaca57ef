#include "screensaver/SelectedViewLookup.h"

#include "platform/ControlCharacterEscape.h"
#include "platform/HomeDirectory.h"
#include "platform/Log.h"
#include "shared/BoundedFile.h"
#include "shared/DefaultViewID.h"
#include "shared/SettingsFileLocation.h"

#include <nlohmann/json.hpp>

namespace screensaver {

HomeDirectorySources HomeDirectorySources::system() {
    return {platform::userDatabaseHomeDirectory, platform::homeDirectoryForCurrentUser};
}

std::filesystem::path realHomeDirectory(const HomeDirectorySources& sources) {
    if (auto home = sources.userDatabaseHome()) {
        return *home;
    }
    return sources.fileManagerHome();
}

std::string loadSelectedViewID(const HomeDirectorySources& sources) {
    const auto configPath = realHomeDirectory(sources) / settingsFileRelativePath;
    platform::systemLog("🖼 Screensaver config path: " + escapeControlCharacters(configPath.string()));

    // The same bounds as the application's own reader: a huge file or a FIFO counts as unreadable.
    const auto bytes = readBoundedFile(configPath);
    if (!bytes) {
        platform::systemLog("⚠️ Screensaver: config file not found, defaulting to crypto_bubbles");
        return defaultViewID;
    }

    // Keys in the file's own order, so that the line listing them reads like the file.
    const auto document = nlohmann::ordered_json::parse(*bytes, nullptr, /*allow_exceptions=*/false);
    if (document.is_discarded() || !document.is_object()) {
        platform::systemLog("⚠️ Screensaver: config JSON invalid, defaulting to crypto_bubbles");
        return defaultViewID;
    }

    if (const auto id = document.find("selectedViewID"); id != document.end() && id->is_string()) {
        auto viewID = id->get<std::string>();
        platform::systemLog("✅ Screensaver: loaded viewID = " + escapeControlCharacters(viewID));
        return viewID;
    }

    // Separated by position, not by what came before: an empty first key is listed too.
    std::string keys;
    bool first = true;
    for (const auto& [key, value] : document.items()) {
        if (!first) {
            keys += ", ";
        }
        first = false;
        keys += escapeControlCharacters(key);
    }
    platform::systemLog("⚠️ Screensaver: no selectedViewID in config (" + keys + "), defaulting to crypto_bubbles");
    return defaultViewID;
}

}  // namespace screensaver
