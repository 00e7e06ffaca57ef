#pragma once

#include <optional>
#include <string>
#include <string_view>

// The two settings the application keeps in config.json.
struct StoredSettings {
    std::string selectedViewID;
    bool firstLaunchDone = false;

    friend bool operator==(const StoredSettings&, const StoredSettings&) = default;
};

// Reads config.json's text: nothing when it is not JSON or its top level is not an
// object; otherwise each member, or its default when it is missing or of another type.
std::optional<StoredSettings> parseSettingsFile(std::string_view bytes);

// The pretty-printed JSON text with exactly the two members.
std::string serializeSettingsFile(const StoredSettings& settings);
