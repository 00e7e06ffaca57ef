#include "platform/ImageAsset.h"

#include <string>
#include <system_error>

namespace platform {

std::optional<std::filesystem::path> imageAssetPath(const Bundle& bundle, std::string_view name) {
    // A name is a bare asset name: anything that could walk out of the folder finds nothing.
    if (name.empty() || name.find('/') != std::string_view::npos || name == "." || name == "..") {
        return std::nullopt;
    }
    const auto file = bundle.resourcesPath() / "images" / (std::string(name) + ".png");
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        return std::nullopt;
    }
    return file;
}

}  // namespace platform
