#include "platform/ConfinedPath.h"

#include <system_error>

namespace platform {

namespace fs = std::filesystem;

std::optional<fs::path> confinedFile(const fs::path& root, const std::string& requestPath) {
    if (requestPath.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    std::error_code error;
    const fs::path canonicalRoot = fs::canonical(root, error);
    if (error) {
        return std::nullopt;
    }
    // Symbolic links are resolved before the check, so none can lead outside.
    const fs::path file = fs::weakly_canonical(canonicalRoot / fs::path(requestPath).relative_path(), error);
    if (error) {
        return std::nullopt;
    }
    const fs::path relative = file.lexically_relative(canonicalRoot);
    if (relative.empty() || relative == "." || *relative.begin() == ".." || !fs::is_regular_file(file, error)) {
        return std::nullopt;
    }
    return file;
}

}  // namespace platform
