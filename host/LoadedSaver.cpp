#include "host/LoadedSaver.h"

#include "platform/Bundle.h"

#include <dlfcn.h>

#include <system_error>

namespace host {

namespace fs = std::filesystem;

std::variant<LoadedSaver, std::string> loadSaverModule(const fs::path& bundlePath) {
    std::error_code error;
    if (!fs::is_directory(bundlePath / "Contents", error)) {
        return "Not a screen saver bundle: " + bundlePath.string();
    }
    const platform::Bundle bundle(bundlePath);
    const auto executable = bundle.infoString("CFBundleExecutable");
    const auto className = bundle.infoString("NSPrincipalClass");
    if (!executable || executable->empty() || executable->find('/') != std::string::npos) {
        return "No module named in " + bundle.infoPath().string();
    }
    if (!className || className->empty()) {
        return "No principal class named in " + bundle.infoPath().string();
    }

    const fs::path modulePath = bundlePath / "Contents" / "Linux" / *executable;
    if (!fs::is_regular_file(modulePath, error)) {
        return "No module at " + modulePath.string();
    }
    // Local symbols: the module's copies of shared code stay its own.
    void* handle = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        return "Cannot load " + modulePath.string() + ": " + (reason ? reason : "unknown error");
    }
    auto lookup = reinterpret_cast<ScreenSaverClassLookup>(dlsym(handle, screenSaverClassLookupSymbol));
    if (lookup == nullptr) {
        return "No screen-saver entry point in " + modulePath.string();
    }
    const TaveloScreenSaverClass* principal = lookup(className->c_str());
    if (principal == nullptr || principal->makeView == nullptr) {
        return "No class " + *className + " in " + modulePath.string();
    }
    return LoadedSaver{bundlePath, modulePath, principal};
}

}  // namespace host
