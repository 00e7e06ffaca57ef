#pragma once

#include "app/SettingsStore.h"
#include "platform/fake/RecordingPlatform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

// A settings store of its own for each test (the shared one lives for the process).
class TestSettingsStore : public SettingsStore {
public:
    TestSettingsStore() = default;
};

// A test with a private home folder, an application bundle in a temporary folder
// (with an information dictionary and preview assets) and the recording platform.
class SettingsFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes Contents/Info.json with this text; an empty text removes it.
    void writeInfo(const std::string& json);
    void addImageAsset(const std::string& name);
    std::filesystem::path configFile() const;
    std::string configText() const;
    void storeSelectedView(const std::string& viewID);

    platform::fake::RecordingPlatform& platform() { return *platform_; }
    // The settings window made last.
    platform::fake::FakeSettingsWindow& settingsWindow() {
        return *platform_->settingsWindows.at(platform_->settingsWindows.size() - 1);
    }

    std::filesystem::path root_;
    std::filesystem::path bundlePath_;
    std::string savedHome_;
    bool hadHome_ = false;
    std::unique_ptr<platform::fake::RecordingPlatform> platform_;
    std::unique_ptr<TestSettingsStore> settings_;
};
