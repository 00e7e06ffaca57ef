#include "platform/linux/ScreenSaverBundleCheck.h"

#include "platform/Bundle.h"

#include <array>
#include <fstream>
#include <system_error>

namespace platform {

namespace fs = std::filesystem;

namespace {

bool startsLikeAnELFFile(const fs::path& file) {
    std::ifstream input(file, std::ios::binary);
    std::array<char, 4> magic{};
    return input.read(magic.data(), magic.size()) && magic == std::array<char, 4>{'\x7f', 'E', 'L', 'F'};
}

}  // namespace

std::optional<std::string> screenSaverBundleProblem(const fs::path& path) {
    std::error_code error;
    if (path.extension() != ".saver") {
        return "its name does not end in .saver";
    }
    if (!fs::is_directory(path, error)) {
        return "it is not a folder";
    }
    const Bundle bundle(path);
    const auto module = bundle.infoString("CFBundleExecutable");
    if (!module || module->empty() || module->find('/') != std::string::npos) {
        return "Contents/Info.json names no module";
    }
    const auto principal = bundle.infoString("NSPrincipalClass");
    if (!principal || principal->empty()) {
        return "Contents/Info.json names no principal class";
    }
    const fs::path modulePath = path / "Contents" / "Linux" / *module;
    // A regular file, following a link as the loader would; a FIFO here must not block the check.
    if (!fs::is_regular_file(modulePath, error) || !startsLikeAnELFFile(modulePath)) {
        return "it holds no loadable module in Contents/Linux";
    }
    return std::nullopt;
}

}  // namespace platform
