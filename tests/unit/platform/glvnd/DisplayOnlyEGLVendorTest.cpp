// The display-only EGL driver, loaded the way a web process loads it: through libglvnd,
// from the vendor file the build put in the application bundle. libglvnd reads its list
// of drivers once, at the first EGL call, so this test program names the file before
// any test runs and no other driver is ever seen.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

const bool driverNamed = [] {
    ::setenv("__EGL_VENDOR_LIBRARY_FILENAMES", TAVELO_TEST_EGL_VENDOR_FILE, 1);
    return true;
}();

bool hasExtension(const char* extensions, const std::string& name) {
    return extensions != nullptr && (" " + std::string(extensions) + " ").find(" " + name + " ") != std::string::npos;
}

EGLDisplay surfacelessDisplay() {
    return eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

TEST(DisplayOnlyEGLVendor, OffersTheSurfacelessDisplayTheEngineLooksFor) {
    ASSERT_TRUE(driverNamed);
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    EXPECT_TRUE(hasExtension(clientExtensions, "EGL_EXT_platform_base")) << clientExtensions;
    EXPECT_TRUE(hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) << clientExtensions;

    EGLDisplay display = surfacelessDisplay();
    ASSERT_NE(display, EGL_NO_DISPLAY) << "error " << std::hex << eglGetError();
    EGLint major = 0;
    EGLint minor = 0;
    ASSERT_TRUE(eglInitialize(display, &major, &minor));
    EXPECT_EQ(major * 10 + minor, 15);
    EXPECT_STREQ(eglQueryString(display, EGL_VERSION), "1.5");
    EXPECT_TRUE(eglBindAPI(EGL_OPENGL_ES_API));
    EXPECT_TRUE(eglTerminate(display));
}

TEST(DisplayOnlyEGLVendor, HasNoConfigurationsAndRefusesEveryContextAndSurface) {
    EGLDisplay display = surfacelessDisplay();
    ASSERT_TRUE(eglInitialize(display, nullptr, nullptr));

    EGLint count = -1;
    EXPECT_TRUE(eglGetConfigs(display, nullptr, 0, &count));
    EXPECT_EQ(count, 0);
    const EGLint wanted[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_ES2_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    count = -1;
    EXPECT_TRUE(eglChooseConfig(display, wanted, &config, 1, &count));
    EXPECT_EQ(count, 0);

    const EGLint contextAttributes[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
    EXPECT_EQ(eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes), EGL_NO_CONTEXT);
    EXPECT_EQ(eglGetError(), EGL_BAD_CONFIG);
    const EGLint size[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
    EXPECT_EQ(eglCreatePbufferSurface(display, config, size), EGL_NO_SURFACE);
    EXPECT_EQ(eglGetError(), EGL_BAD_CONFIG);

    // Letting go of the current context, which is none, is no error.
    EXPECT_TRUE(eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT));
    EXPECT_TRUE(eglReleaseThread());
}

TEST(DisplayOnlyEGLVendor, AnswersForNoOtherPlatformOrAPI) {
    // An X11 or GBM display it cannot give: whoever asks learns there is none.
    EXPECT_EQ(eglGetPlatformDisplay(EGL_PLATFORM_X11_KHR, EGL_DEFAULT_DISPLAY, nullptr), EGL_NO_DISPLAY);
    EXPECT_EQ(eglGetPlatformDisplay(EGL_PLATFORM_GBM_KHR, EGL_DEFAULT_DISPLAY, nullptr), EGL_NO_DISPLAY);
    EXPECT_FALSE(eglBindAPI(EGL_OPENVG_API));
}

}  // namespace
