// An EGL driver for libglvnd that offers a display and nothing to draw with.
//
// A web process of the engine will not start without an EGL display, even when every
// page it draws is painted by the CPU (no GL compositing, which is how the wallpaper
// runs where GL is only a software rasteriser). With Mesa, getting that display loads
// the rasteriser and LLVM: some 30 MiB for a context nobody makes. This driver answers
// for the surfaceless platform, has no configurations, and so refuses every context and
// surface; whatever in the web process would have used GL (WebGL, for one) sees that
// no GL is available, as on a machine without a driver.
//
// libglvnd loads it from the vendor file beside it (named in
// __EGL_VENDOR_LIBRARY_FILENAMES) and calls __egl_Main; every other function is found
// through getProcAddress. The library is never instrumented: the engine's processes,
// which load it, are not.

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <glvnd/libeglabi.h>

#include <array>
#include <string_view>

namespace {

const __EGLapiExports* dispatch = nullptr;

// The one display: any address of ours that no other vendor can hand out.
char displayTag = 0;
EGLDisplay theDisplay() { return &displayTag; }
bool isTheDisplay(EGLDisplay display) { return display == theDisplay(); }

EGLBoolean failWith(EGLint error) {
    dispatch->setEGLError(error);
    return EGL_FALSE;
}

EGLDisplay getPlatformDisplay(EGLenum platform, void* nativeDisplay, const EGLAttrib* /*attributes*/) {
    const bool surfaceless = platform == EGL_PLATFORM_SURFACELESS_MESA && nativeDisplay == EGL_DEFAULT_DISPLAY;
    return surfaceless ? theDisplay() : EGL_NO_DISPLAY;
}

bool isAnOpenGLAPI(EGLenum api) { return api == EGL_OPENGL_ES_API || api == EGL_OPENGL_API; }
EGLBoolean supportsAPI(EGLenum api) { return isAnOpenGLAPI(api) ? EGL_TRUE : EGL_FALSE; }

const char* vendorString(int name) {
    // libglvnd adds these to the client extensions; the engine looks for both before it
    // asks for a surfaceless display.
    return name == __EGL_VENDOR_STRING_PLATFORM_EXTENSIONS ? "EGL_EXT_platform_base EGL_MESA_platform_surfaceless"
                                                           : nullptr;
}

EGLBoolean initialize(EGLDisplay display, EGLint* major, EGLint* minor) {
    if (!isTheDisplay(display)) {
        return failWith(EGL_BAD_DISPLAY);
    }
    if (major != nullptr) {
        *major = 1;
    }
    if (minor != nullptr) {
        *minor = 5;
    }
    return EGL_TRUE;
}

EGLBoolean terminate(EGLDisplay display) { return isTheDisplay(display) ? EGL_TRUE : failWith(EGL_BAD_DISPLAY); }

const char* queryString(EGLDisplay display, EGLint name) {
    if (!isTheDisplay(display)) {
        failWith(EGL_BAD_DISPLAY);
        return nullptr;
    }
    switch (name) {
    case EGL_VENDOR: return "no GL: pages are painted by the CPU";
    case EGL_VERSION: return "1.5";
    case EGL_CLIENT_APIS: return "OpenGL_ES OpenGL";
    case EGL_EXTENSIONS: return "";
    default: failWith(EGL_BAD_PARAMETER); return nullptr;
    }
}

EGLBoolean noConfigs(EGLDisplay display, EGLint* count) {
    if (!isTheDisplay(display)) {
        return failWith(EGL_BAD_DISPLAY);
    }
    if (count == nullptr) {
        return failWith(EGL_BAD_PARAMETER);
    }
    *count = 0;
    return EGL_TRUE;
}

EGLBoolean getConfigs(EGLDisplay display, EGLConfig* /*configs*/, EGLint /*size*/, EGLint* count) {
    return noConfigs(display, count);
}

EGLBoolean chooseConfig(EGLDisplay display, const EGLint* /*attributes*/, EGLConfig* /*configs*/, EGLint /*size*/,
                        EGLint* count) {
    return noConfigs(display, count);
}

EGLBoolean makeCurrent(EGLDisplay display, EGLSurface draw, EGLSurface read, EGLContext context) {
    // Releasing the current context is all there is to do: none can exist.
    const bool releasing = context == EGL_NO_CONTEXT && draw == EGL_NO_SURFACE && read == EGL_NO_SURFACE;
    if (releasing && (display == EGL_NO_DISPLAY || isTheDisplay(display))) {
        return EGL_TRUE;
    }
    return failWith(EGL_BAD_CONTEXT);
}

EGLBoolean bindAPI(EGLenum api) { return isAnOpenGLAPI(api) ? EGL_TRUE : failWith(EGL_BAD_PARAMETER); }
EGLBoolean succeed() { return EGL_TRUE; }
EGLBoolean waitNative(EGLint /*engine*/) { return EGL_TRUE; }
EGLint noError() { return EGL_SUCCESS; }

// Every call about a context, surface, image or sync object fails: no such object can
// have come from here. `error` says which kind of object was wrong.
template <EGLint error, typename Result, typename... Arguments>
Result refuse(Arguments... /*arguments*/) {
    failWith(error);
    return Result{};
}

struct Entry {
    std::string_view name;
    void* function;
};

template <typename Function>
Entry entry(std::string_view name, Function* function) {
    return {name, reinterpret_cast<void*>(function)};
}

// The core functions libglvnd asks every driver for.
const std::array entries = {
    entry("eglInitialize", &initialize),
    entry("eglTerminate", &terminate),
    entry("eglQueryString", &queryString),
    entry("eglGetConfigs", &getConfigs),
    entry("eglChooseConfig", &chooseConfig),
    entry("eglMakeCurrent", &makeCurrent),
    entry("eglBindAPI", &bindAPI),
    entry("eglReleaseThread", &succeed),
    entry("eglWaitClient", &succeed),
    entry("eglWaitGL", &succeed),
    entry("eglWaitNative", &waitNative),
    entry("eglGetError", &noError),
    entry("eglGetConfigAttrib", &refuse<EGL_BAD_CONFIG, EGLBoolean, EGLDisplay, EGLConfig, EGLint, EGLint*>),
    entry("eglCreateContext", &refuse<EGL_BAD_CONFIG, EGLContext, EGLDisplay, EGLConfig, EGLContext, const EGLint*>),
    entry("eglCreatePbufferSurface", &refuse<EGL_BAD_CONFIG, EGLSurface, EGLDisplay, EGLConfig, const EGLint*>),
    entry("eglCreateWindowSurface",
          &refuse<EGL_BAD_CONFIG, EGLSurface, EGLDisplay, EGLConfig, EGLNativeWindowType, const EGLint*>),
    entry("eglCreatePixmapSurface",
          &refuse<EGL_BAD_CONFIG, EGLSurface, EGLDisplay, EGLConfig, EGLNativePixmapType, const EGLint*>),
    entry("eglCreatePlatformWindowSurface",
          &refuse<EGL_BAD_CONFIG, EGLSurface, EGLDisplay, EGLConfig, void*, const EGLAttrib*>),
    entry("eglCreatePlatformPixmapSurface",
          &refuse<EGL_BAD_CONFIG, EGLSurface, EGLDisplay, EGLConfig, void*, const EGLAttrib*>),
    entry("eglCreatePbufferFromClientBuffer",
          &refuse<EGL_BAD_CONFIG, EGLSurface, EGLDisplay, EGLenum, EGLClientBuffer, EGLConfig, const EGLint*>),
    entry("eglDestroyContext", &refuse<EGL_BAD_CONTEXT, EGLBoolean, EGLDisplay, EGLContext>),
    entry("eglQueryContext", &refuse<EGL_BAD_CONTEXT, EGLBoolean, EGLDisplay, EGLContext, EGLint, EGLint*>),
    entry("eglSwapInterval", &refuse<EGL_BAD_CONTEXT, EGLBoolean, EGLDisplay, EGLint>),
    entry("eglDestroySurface", &refuse<EGL_BAD_SURFACE, EGLBoolean, EGLDisplay, EGLSurface>),
    entry("eglQuerySurface", &refuse<EGL_BAD_SURFACE, EGLBoolean, EGLDisplay, EGLSurface, EGLint, EGLint*>),
    entry("eglSurfaceAttrib", &refuse<EGL_BAD_SURFACE, EGLBoolean, EGLDisplay, EGLSurface, EGLint, EGLint>),
    entry("eglSwapBuffers", &refuse<EGL_BAD_SURFACE, EGLBoolean, EGLDisplay, EGLSurface>),
    entry("eglCopyBuffers", &refuse<EGL_BAD_SURFACE, EGLBoolean, EGLDisplay, EGLSurface, EGLNativePixmapType>),
    entry("eglBindTexImage", &refuse<EGL_BAD_SURFACE, EGLBoolean, EGLDisplay, EGLSurface, EGLint>),
    entry("eglReleaseTexImage", &refuse<EGL_BAD_SURFACE, EGLBoolean, EGLDisplay, EGLSurface, EGLint>),
    entry("eglCreateSync", &refuse<EGL_BAD_MATCH, EGLSync, EGLDisplay, EGLenum, const EGLAttrib*>),
    entry("eglDestroySync", &refuse<EGL_BAD_PARAMETER, EGLBoolean, EGLDisplay, EGLSync>),
    entry("eglClientWaitSync", &refuse<EGL_BAD_PARAMETER, EGLint, EGLDisplay, EGLSync, EGLint, EGLTime>),
    entry("eglWaitSync", &refuse<EGL_BAD_PARAMETER, EGLBoolean, EGLDisplay, EGLSync, EGLint>),
    entry("eglGetSyncAttrib", &refuse<EGL_BAD_PARAMETER, EGLBoolean, EGLDisplay, EGLSync, EGLint, EGLAttrib*>),
    entry("eglCreateImage",
          &refuse<EGL_BAD_MATCH, EGLImage, EGLDisplay, EGLContext, EGLenum, EGLClientBuffer, const EGLAttrib*>),
    entry("eglDestroyImage", &refuse<EGL_BAD_PARAMETER, EGLBoolean, EGLDisplay, EGLImage>),
};

void* procAddress(const char* name) {
    for (const Entry& candidate : entries) {
        if (candidate.name == name) {
            return candidate.function;
        }
    }
    return nullptr;
}

// No extension functions, so nothing for libglvnd to dispatch to.
void* noDispatchAddress(const char* /*name*/) { return nullptr; }
void ignoreDispatchIndex(const char* /*name*/, int /*index*/) {}

}  // namespace

extern "C" __attribute__((visibility("default"))) EGLBoolean __egl_Main(uint32_t version,
                                                                        const __EGLapiExports* exports,
                                                                        __EGLvendorInfo* /*vendor*/,
                                                                        __EGLapiImports* imports) {
    if (EGL_VENDOR_ABI_GET_MAJOR_VERSION(version) != EGL_VENDOR_ABI_MAJOR_VERSION) {
        return EGL_FALSE;
    }
    dispatch = exports;
    imports->getPlatformDisplay = getPlatformDisplay;
    imports->getSupportsAPI = supportsAPI;
    imports->getVendorString = vendorString;
    imports->getProcAddress = procAddress;
    imports->getDispatchAddress = noDispatchAddress;
    imports->setDispatchIndex = ignoreDispatchIndex;
    return EGL_TRUE;
}
