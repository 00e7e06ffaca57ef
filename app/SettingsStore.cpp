#include "app/SettingsStore.h"

#include "app/SettingsFile.h"
#include "app/UnusableSettingsFile.h"
#include "app/WallpaperView.h"
#include "platform/AtomicFileReplacement.h"
#include "platform/ControlCharacterEscape.h"
#include "platform/HomeDirectory.h"
#include "platform/Log.h"
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
    const auto path = configURL();
    const BoundedRead read = readBoundedFileTelling(path);
    if (read.outcome == BoundedRead::Outcome::missing) {
        return;
    }
    const auto settings = read.outcome == BoundedRead::Outcome::read ? parseSettingsFile(read.bytes) : std::nullopt;
    if (!settings) {
        // A file was there, so this is no first launch: the user's choices in it (the
        // login item among them) are not overridden, and the file itself is kept for
        // them rather than overwritten by the next save.
        setUnusableFileAside(path, read.outcome == BoundedRead::Outcome::read ? "not a JSON object" : read.problem);
        firstLaunchDone_ = true;
        return;
    }
    selectedViewID_ = settings->selectedViewID;
    firstLaunchDone_ = settings->firstLaunchDone;
}

void SettingsStore::saveConfig() {
    const std::string text = serializeSettingsFile({selectedViewID_, firstLaunchDone_});
    std::error_code ignored;
    std::filesystem::create_directories(configURL().parent_path(), ignored);
    // A failed write leaves the previous file and the in-memory values as they are;
    // every change writes both values whole, so the next one saves this one too.
    std::error_code failure;
    if (!platform::replaceFileAtomically(configURL(), text, &failure)) {
        platform::systemLog("❌ Settings: cannot save " + escapeControlCharacters(configURL().string()) + ": " +
                            failure.message() + "; the choice holds until quit and is saved again at the next change");
    }
}

void SettingsStore::saveSelectedView(const std::string& viewID) {
    selectedViewID_ = viewID;
    saveConfig();
}

void SettingsStore::markFirstLaunchDone() {
    firstLaunchDone_ = true;
    saveConfig();
}
