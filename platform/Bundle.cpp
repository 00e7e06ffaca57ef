#include "platform/Bundle.h"

#include "platform/FileURL.h"
#include "platform/ProductNames.h"

#include <nlohmann/json.hpp>

#include <array>
#include <fstream>
#include <system_error>

#ifndef TAVELO_BUNDLES_FROM_BIN
#error "TAVELO_BUNDLES_FROM_BIN must be defined by the build"
#endif

namespace platform {

namespace fs = std::filesystem;

Bundle::Bundle(fs::path bundlePath) : bundlePath_(std::move(bundlePath)) {}

fs::path Bundle::resourcesPath() const { return bundlePath_ / "Contents" / "Resources"; }

fs::path Bundle::codePath() const { return bundlePath_ / "Contents" / "Linux"; }

fs::path Bundle::infoPath() const { return bundlePath_ / "Contents" / "Info.json"; }

std::optional<std::string> Bundle::urlForResource(std::string_view name, std::string_view extension) const {
    if (name.empty() || name.find('/') != std::string_view::npos) {
        return std::nullopt;
    }
    const fs::path file = resourcesPath() / (std::string(name) + "." + std::string(extension));
    std::error_code error;
    if (!fs::exists(file, error)) {
        return std::nullopt;
    }
    return fileURLFromPath(fs::absolute(file, error));
}

std::optional<std::string> Bundle::infoString(std::string_view key) const {
    std::ifstream input(infoPath());
    if (!input) {
        return std::nullopt;
    }
    const auto info = nlohmann::json::parse(input, nullptr, /*allow_exceptions=*/false);
    if (!info.is_object()) {
        return std::nullopt;
    }
    const auto member = info.find(std::string(key));
    if (member == info.end() || !member->is_string()) {
        return std::nullopt;
    }
    return member->get<std::string>();
}

std::optional<Bundle> Bundle::locate(const fs::path& binaryPath, std::string_view bundleName) {
    const fs::path binaryFolder = binaryPath.parent_path();
    const std::array candidates{
        binaryFolder.parent_path().parent_path(),  // inside: X.app/Contents/<dir>/binary
        binaryFolder.parent_path() / bundleName,   // build tree: build/bin + build/X.app
        // installed: the library folder this build was configured for (on Debian with
        // the /usr prefix a multiarch one), then the plain prefix/lib of other layouts
        binaryFolder / TAVELO_BUNDLES_FROM_BIN / bundleName,
        binaryFolder.parent_path() / "lib" / product::programName / bundleName,
    };
    for (const auto& candidate : candidates) {
        std::error_code error;
        if (candidate.filename() == bundleName && fs::is_directory(candidate / "Contents", error)) {
            return Bundle(candidate.lexically_normal());
        }
    }
    return std::nullopt;
}

}  // namespace platform
