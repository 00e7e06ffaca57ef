#include "platform/GraphicsAcceleration.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace platform {
namespace {

std::string lowercase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

// A renderer string comes from a driver: keep the log line one short, printable line.
std::string printable(std::string_view text) {
    constexpr std::size_t limit = 120;
    std::string out;
    for (const unsigned char c : text.substr(0, limit)) {
        out += (c < 0x20 || c == 0x7f) ? '?' : static_cast<char>(c);
    }
    if (text.size() > limit) {
        out += "…";
    }
    return out;
}

}  // namespace

bool isSoftwareRasteriser(std::string_view renderer) {
    static constexpr std::array<std::string_view, 8> markers{"llvmpipe",
                                                             "softpipe",
                                                             "swrast",
                                                             "swiftshader",
                                                             "software rasterizer",
                                                             "lavapipe",
                                                             "basic render driver",
                                                             "software renderer"};
    const std::string name = lowercase(renderer);
    return std::any_of(markers.begin(), markers.end(),
                       [&](std::string_view marker) { return name.find(marker) != std::string::npos; });
}

AccelerationChoice chooseAcceleration(const GraphicsReport& report) {
    if (report.renderer && !report.renderer->empty()) {
        const std::string name = printable(*report.renderer);
        if (isSoftwareRasteriser(*report.renderer)) {
            return {
                AccelerationPolicy::never,
                "⚠️ Graphics: " + name + " is a software rasteriser; web pages are drawn without GL compositing"};
        }
        return {AccelerationPolicy::always, "✅ Graphics: " + name + "; web pages are composited with GL"};
    }
    if (report.gpuDevicePresent) {
        // A GPU we could not open a context on from here: leave it to the engine.
        return {AccelerationPolicy::always,
                "⚠️ Graphics: no GL renderer reported; a GPU is present, web pages are composited with GL"};
    }
    return {AccelerationPolicy::never,
            "⚠️ Graphics: no GPU device, so GL could only be a software rasteriser; web pages are drawn without GL "
            "compositing"};
}

}  // namespace platform
