#include "screensaver/ModuleBundle.h"

#include <dlfcn.h>

#include <system_error>

namespace screensaver {

namespace fs = std::filesystem;

platform::Bundle bundleForModuleAt(const fs::path& modulePath) {
    std::error_code error;
    fs::path module = fs::weakly_canonical(modulePath, error);
    if (error) {
        module = modulePath.lexically_normal();
    }
    const fs::path contents = module.parent_path().parent_path();
    if (contents.filename() == "Contents" && fs::is_directory(contents, error)) {
        return platform::Bundle(contents.parent_path());
    }
    return platform::Bundle(module.parent_path());
}

platform::Bundle bundleOfThisModule() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&bundleOfThisModule), &info) == 0 || info.dli_fname == nullptr) {
        return platform::Bundle("/nonexistent");
    }
    return bundleForModuleAt(info.dli_fname);
}

}  // namespace screensaver
