#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// Why `path` is not a screen-saver bundle the host could load, or nothing when it
// looks like one: a folder whose Contents/Info.json names a principal class and a
// module, with that module in Contents/Linux/ as a shared object (ELF). Only the
// layout is checked; nothing is loaded. The reason holds no text read from the
// bundle, so it can go into a log line as it is.
std::optional<std::string> screenSaverBundleProblem(const std::filesystem::path& path);

}  // namespace platform
