#pragma once

#include <filesystem>
#include <string>

// The application's persistent settings: the selected live view and whether the
// first-launch work has been done, kept in config.json under the home folder.
class SettingsStore {
public:
    static SettingsStore& shared();

    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;
    virtual ~SettingsStore() = default;

    const std::string& selectedViewID() const { return selectedViewID_; }
    bool firstLaunchDone() const { return firstLaunchDone_; }

    void load();
    void saveConfig();
    void saveSelectedView(const std::string& viewID);
    void markFirstLaunchDone();

protected:
    SettingsStore();

private:
    std::filesystem::path configURL() const;

    std::string selectedViewID_;
    bool firstLaunchDone_ = false;
};
