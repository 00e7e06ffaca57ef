#include "tests/unit/app/SettingsFixture.h"

#include "shared/SettingsFileLocation.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

void SettingsFixture::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() / ("tavelo-settings-" + std::to_string(::getpid()) + "-" + info->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "home");
    if (const char* home = std::getenv("HOME")) {
        hadHome_ = true;
        savedHome_ = home;
    }
    setenv("HOME", (root_ / "home").c_str(), 1);

    bundlePath_ = root_ / "Tavelo Live Wallpaper.app";
    fs::create_directories(bundlePath_ / "Contents" / "Resources" / "images");
    writeInfo(R"({"CFBundleName": "Tavelo Live Wallpaper", "CFBundleShortVersionString": "1.2.3"})");
    for (const char* name : {"crypto_bubbles", "crypto_chart", "sp500_heatmap", "stocks_chart"}) {
        addImageAsset(name);
    }
    platform_ = std::make_unique<platform::fake::RecordingPlatform>(bundlePath_);
    settings_ = std::make_unique<TestSettingsStore>();
}

void SettingsFixture::TearDown() {
    settings_.reset();
    platform_.reset();
    if (hadHome_) {
        setenv("HOME", savedHome_.c_str(), 1);
    } else {
        unsetenv("HOME");
    }
    fs::remove_all(root_);
}

void SettingsFixture::writeInfo(const std::string& json) {
    const auto path = bundlePath_ / "Contents" / "Info.json";
    if (json.empty()) {
        fs::remove(path);
        return;
    }
    std::ofstream(path) << json;
}

void SettingsFixture::addImageAsset(const std::string& name) {
    std::ofstream(bundlePath_ / "Contents" / "Resources" / "images" / (name + ".png")) << "png";
}

fs::path SettingsFixture::configFile() const { return root_ / "home" / settingsFileRelativePath; }

std::string SettingsFixture::configText() const {
    std::ifstream input(configFile());
    std::stringstream text;
    text << input.rdbuf();
    return text.str();
}

void SettingsFixture::storeSelectedView(const std::string& viewID) { settings_->saveSelectedView(viewID); }
