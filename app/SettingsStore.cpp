#include "app/SettingsStore.h"

#include "app/SettingsFile.h"
#include "app/WallpaperView.h"
#include "platform/AtomicFileReplacement.h"
#include "platform/HomeDirectory.h"
#include "shared/BoundedFile.h"
#include "shared/SettingsFileLocation.h"

#include <system_error>

SettingsStore::SettingsStore() : selectedViewID_(defaultViewID) {}

SettingsStore& SettingsStore::shared() {
    static SettingsStore store;  // created once, thread-safe
    return store;
}

std::filesystem::path SettingsStore::configURL() const {
    return platform::homeDirectoryForCurrentUser() / settingsFileRelativePath;
}

void SettingsStore::load() {
    const auto bytes = readBoundedFile(configURL());
    if (!bytes) {
        return;
    }
    const auto settings = parseSettingsFile(*bytes);
    if (!settings) {
        return;
    }
    selectedViewID_ = settings->selectedViewID;
    firstLaunchDone_ = settings->firstLaunchDone;
}

void SettingsStore::saveConfig() {
    const std::string text = serializeSettingsFile({selectedViewID_, firstLaunchDone_});
    std::error_code ignored;
    std::filesystem::create_directories(configURL().parent_path(), ignored);
    // A failed write leaves the previous file and the in-memory values as they are.
    (void)platform::replaceFileAtomically(configURL(), text);
}

void SettingsStore::saveSelectedView(const std::string& viewID) {
    selectedViewID_ = viewID;
    saveConfig();
}

void SettingsStore::markFirstLaunchDone() {
    firstLaunchDone_ = true;
    saveConfig();
}
