#include "platform/gtk/GLRendererProbe.h"

#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <filesystem>
#include <system_error>

namespace platform::gtk {
namespace {

bool gpuDevicePresent() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error)) {
        if (entry.path().filename().string().rfind("renderD", 0) == 0) {
            return true;
        }
    }
    return std::filesystem::exists("/dev/nvidia0", error);
}

// The web process renders off screen, so a display without a window system is the
// one to ask: Mesa's surfaceless platform where there is one, else the default.
EGLDisplay offscreenDisplay() {
    if (epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_MESA_platform_surfaceless")) {
        EGLDisplay display = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display != EGL_NO_DISPLAY) {
            return display;
        }
    }
    return eglGetDisplay(EGL_DEFAULT_DISPLAY);
}

std::optional<std::string> rendererOn(EGLDisplay display) {
    if (!eglBindAPI(EGL_OPENGL_ES_API)) {
        return std::nullopt;
    }
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_ES2_BIT,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &count) || count < 1) {
        return std::nullopt;
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) {
        return std::nullopt;
    }
    const EGLint surfaceAttributes[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
    std::optional<std::string> renderer;
    if (surface != EGL_NO_SURFACE && eglMakeCurrent(display, surface, surface, context)) {
        if (const auto* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER))) {
            renderer = name;
        }
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    if (surface != EGL_NO_SURFACE) {
        eglDestroySurface(display, surface);
    }
    eglDestroyContext(display, context);
    return renderer;
}

}  // namespace

GraphicsReport probeGLRenderer() {
    GraphicsReport report;
    report.gpuDevicePresent = gpuDevicePresent();
    // Without a GPU device whatever GL answers is a CPU rasteriser, and bringing it up
    // only to hear so costs some 60 ms of start-up.
    if (!report.gpuDevicePresent || !epoxy_has_egl()) {
        return report;
    }
    EGLDisplay display = offscreenDisplay();
    if (display == EGL_NO_DISPLAY) {
        return report;
    }
    EGLint major = 0;
    EGLint minor = 0;
    if (!eglInitialize(display, &major, &minor)) {
        return report;
    }
    report.renderer = rendererOn(display);
    eglTerminate(display);
    eglReleaseThread();
    return report;
}

}  // namespace platform::gtk
