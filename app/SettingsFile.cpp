#include "app/SettingsFile.h"

#include "app/WallpaperView.h"

#include <nlohmann/json.hpp>

namespace {

bool readFirstLaunchDone(const nlohmann::json& member) {
    if (member.is_boolean()) {
        return member.get<bool>();
    }
    // Numbers 1 and 0 stand for true and false, as JSON writers in the wild produce them.
    if (member.is_number()) {
        const double value = member.get<double>();
        return value == 1.0;
    }
    return false;
}

}  // namespace

std::optional<StoredSettings> parseSettingsFile(std::string_view bytes) {
    const auto document = nlohmann::json::parse(bytes, nullptr, /*allow_exceptions=*/false);
    if (document.is_discarded() || !document.is_object()) {
        return std::nullopt;
    }
    StoredSettings settings{defaultViewID, false};
    if (const auto id = document.find("selectedViewID"); id != document.end() && id->is_string()) {
        settings.selectedViewID = id->get<std::string>();
    }
    if (const auto done = document.find("firstLaunchDone"); done != document.end()) {
        settings.firstLaunchDone = readFirstLaunchDone(*done);
    }
    return settings;
}

std::string serializeSettingsFile(const StoredSettings& settings) {
    const nlohmann::json document = {
        {"selectedViewID", settings.selectedViewID},
        {"firstLaunchDone", settings.firstLaunchDone},
    };
    // Replace rather than throw on text that is not UTF-8: a view ID can come from a
    // hand-edited file, and a save must always produce valid JSON.
    return document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}
