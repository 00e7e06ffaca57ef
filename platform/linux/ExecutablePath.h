#pragma once

#include <filesystem>

namespace platform {

// The absolute path of the running program, symbolic links resolved.
std::filesystem::path runningExecutablePath();

}  // namespace platform
