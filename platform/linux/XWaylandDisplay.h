#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// The X display (":N") that a Wayland compositor serves through XWayland. A client
// started outside the compositor often has only WAYLAND_DISPLAY; the compositor
// announces its X display to its own children alone, but it writes its process id
// into the display's lock file (<lockFolder>/.X<N>-lock) like any X server.
std::optional<std::string> xwaylandDisplayOf(pid_t compositor, const std::filesystem::path& lockFolder = "/tmp");

}  // namespace platform
