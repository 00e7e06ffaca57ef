#include "platform/linux/ExecutablePath.h"

#include <system_error>

namespace platform {

std::filesystem::path runningExecutablePath() {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : path;
}

}  // namespace platform
