#pragma once

#include "shared/SettingsFileLocation.h"

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace testing_support {

// A fresh folder for one test, removed afterwards.
class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavelo-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

    // Writes `bytes` to `relative`, making the folders on the way.
    std::filesystem::path write(const std::filesystem::path& relative, std::string_view bytes) const {
        auto file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

private:
    std::filesystem::path path_;
};

// Points $HOME at a fresh folder for the life of the object.
class TemporaryHome {
public:
    TemporaryHome() {
        if (const char* old = std::getenv("HOME")) {
            previous_ = old;
        }
        ::setenv("HOME", folder_.path().c_str(), 1);
    }
    ~TemporaryHome() { ::setenv("HOME", previous_.c_str(), 1); }
    const std::filesystem::path& path() const { return folder_.path(); }
    std::filesystem::path settingsFile() const { return path() / settingsFileRelativePath; }
    void writeSettings(const std::string& text) const {
        std::filesystem::create_directories(settingsFile().parent_path());
        std::ofstream(settingsFile(), std::ios::binary) << text;
    }
    std::string readSettings() const {
        std::ifstream input(settingsFile(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>());
    }

private:
    TemporaryFolder folder_;
    std::string previous_;
};

// Writes a bundle folder with the given top-level resources.
inline std::filesystem::path makeBundle(const std::filesystem::path& parent, const std::string& name,
                                        std::initializer_list<const char*> resources) {
    auto bundle = parent / name;
    std::filesystem::create_directories(bundle / "Contents/Resources");
    for (const char* resource : resources) {
        std::ofstream(bundle / "Contents/Resources" / resource) << "<!doctype html><title>" << resource << "</title>";
    }
    return bundle;
}

}  // namespace testing_support
