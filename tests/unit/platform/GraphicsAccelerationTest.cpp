#include "platform/GraphicsAcceleration.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::AccelerationPolicy;
using platform::chooseAcceleration;
using platform::GraphicsReport;
using platform::isSoftwareRasteriser;

GraphicsReport withRenderer(std::string renderer, bool gpu = true) { return GraphicsReport{gpu, std::move(renderer)}; }

TEST(GraphicsAcceleration, CpuRasterisersAsDriversNameThemTurnCompositingOff) {
    for (const char* renderer :
         {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Mesa DRI swrast", "Software Rasterizer",
          "Google SwiftShader", "SwiftShader Device (Subzero)", "Microsoft Basic Render Driver",
          "lavapipe (LLVM 15.0.6, 256 bits)", "LLVMPIPE (LLVM 16.0.0, 128 bits)"}) {
        SCOPED_TRACE(renderer);
        EXPECT_TRUE(isSoftwareRasteriser(renderer));
        const auto choice = chooseAcceleration(withRenderer(renderer));
        EXPECT_EQ(choice.policy, AccelerationPolicy::never);
        EXPECT_EQ(choice.logLine.rfind("⚠️ Graphics: ", 0), 0u) << choice.logLine;
        EXPECT_NE(choice.logLine.find(renderer), std::string::npos) << choice.logLine;
    }
}

TEST(GraphicsAcceleration, RealGpusKeepCompositingEvenWhenTheirDriverMentionsLlvm) {
    // AMD's Mesa driver reports the LLVM version it compiles shaders with.
    for (const char* renderer : {"AMD Radeon RX 6700 XT (navi22, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)",
                                 "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "NVIDIA GeForce RTX 3070/PCIe/SSE2",
                                 "virgl (Intel(R) Xe Graphics)", "Apple M1"}) {
        SCOPED_TRACE(renderer);
        EXPECT_FALSE(isSoftwareRasteriser(renderer));
        const auto choice = chooseAcceleration(withRenderer(renderer));
        EXPECT_EQ(choice.policy, AccelerationPolicy::always);
        EXPECT_EQ(choice.logLine.rfind("✅ Graphics: ", 0), 0u) << choice.logLine;
        EXPECT_NE(choice.logLine.find(renderer), std::string::npos);
    }
}

TEST(GraphicsAcceleration, WithoutARendererTheDeviceDecides) {
    EXPECT_EQ(chooseAcceleration(GraphicsReport{true, std::nullopt}).policy, AccelerationPolicy::always);
    const auto noDevice = chooseAcceleration(GraphicsReport{false, std::nullopt});
    EXPECT_EQ(noDevice.policy, AccelerationPolicy::never);
    EXPECT_EQ(noDevice.logLine.rfind("⚠️ Graphics: no GPU device", 0), 0u) << noDevice.logLine;
    // An empty answer is no answer, not a hardware renderer.
    EXPECT_EQ(chooseAcceleration(withRenderer("", false)).policy, AccelerationPolicy::never);
    EXPECT_EQ(chooseAcceleration(withRenderer("", true)).policy, AccelerationPolicy::always);
    // A software renderer wins over a device node: the GPU is not what would draw.
    EXPECT_EQ(chooseAcceleration(withRenderer("llvmpipe", true)).policy, AccelerationPolicy::never);
}

TEST(GraphicsAcceleration, DriverTextStaysOneShortLogLine) {
    const auto forged = chooseAcceleration(withRenderer("Evil GPU\n✅ Finished loading.\r\x1b[2J"));
    EXPECT_EQ(forged.logLine.find('\n'), std::string::npos);
    EXPECT_EQ(forged.logLine.find('\r'), std::string::npos);
    EXPECT_EQ(forged.logLine.find('\x1b'), std::string::npos);
    EXPECT_NE(forged.logLine.find("Evil GPU?✅ Finished loading."), std::string::npos) << forged.logLine;

    const auto longName = chooseAcceleration(withRenderer("llvmpipe " + std::string(5000, 'x')));
    EXPECT_EQ(longName.policy, AccelerationPolicy::never);
    EXPECT_LT(longName.logLine.size(), 300u);
}

}  // namespace
