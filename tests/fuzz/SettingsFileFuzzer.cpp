// Feeds arbitrary bytes to the settings reader: it must never crash, and whatever
// it accepts must be a valid value that a save writes and reads back unchanged.
#include "app/SettingsFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto settings = parseSettingsFile(bytes);
    if (!settings) {
        return 0;
    }
    const auto reread = parseSettingsFile(serializeSettingsFile(*settings));
    if (!reread || *reread != *settings) {
        std::abort();
    }
    return 0;
}
