#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// What the machine's GL told us before any web view was made.
struct GraphicsReport {
    // A GPU device node (a DRM render node or a vendor's own) exists.
    bool gpuDevicePresent = false;
    // GL_RENDERER of a context made on it; absent when no context could be made.
    std::optional<std::string> renderer;
};

enum class AccelerationPolicy { always, never };

struct AccelerationChoice {
    AccelerationPolicy policy = AccelerationPolicy::always;
    // The log line that explains the choice.
    std::string logLine;
};

// True for the CPU rasterisers that GL stacks fall back to (Mesa's llvmpipe,
// softpipe and swrast, SwiftShader, lavapipe, Windows' basic render driver).
bool isSoftwareRasteriser(std::string_view renderer);

// Compositing on a software rasteriser costs memory (a GL context and its buffers in
// the web process) and CPU for nothing a 2D canvas page needs, so it is switched off
// there; a real GPU keeps it.
AccelerationChoice chooseAcceleration(const GraphicsReport& report);

}  // namespace platform
