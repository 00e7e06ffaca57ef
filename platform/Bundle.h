#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A bundle is a folder laid out as "<Name>.app/Contents/Resources/..." with its
// information dictionary in "Contents/Info.json".
class Bundle {
public:
    explicit Bundle(std::filesystem::path bundlePath);

    const std::filesystem::path& bundlePath() const { return bundlePath_; }
    std::filesystem::path resourcesPath() const;
    // Where the bundle's loadable code sits (Contents/Linux).
    std::filesystem::path codePath() const;
    std::filesystem::path infoPath() const;

    // The file URL of a resource at the top level of the resources folder, or
    // nothing when no such file exists.
    std::optional<std::string> urlForResource(std::string_view name, std::string_view extension) const;

    // A string value of the information dictionary, or nothing when the key is
    // missing, not a string, or the dictionary cannot be read.
    std::optional<std::string> infoString(std::string_view key) const;

    // The bundle folder named `bundleName` that a binary at `binaryPath` belongs to:
    // the binary may sit inside the bundle (Contents/<dir>/binary) or in a bin/ folder
    // next to it, as in the build tree and the installed layout.
    static std::optional<Bundle> locate(const std::filesystem::path& binaryPath, std::string_view bundleName);

private:
    std::filesystem::path bundlePath_;
};

}  // namespace platform
