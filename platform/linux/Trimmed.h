#pragma once

#include <string>
#include <string_view>

namespace platform {

// Whitespace trimming for the line-based configuration files of the desktop
// (autostart entries, ~/.xscreensaver).
inline std::string rightTrimmed(std::string_view text) {
    const auto end = text.find_last_not_of(" \t\r");
    return end == std::string_view::npos ? std::string() : std::string(text.substr(0, end + 1));
}

inline std::string trimmed(std::string_view text) {
    const auto begin = text.find_first_not_of(" \t\r");
    return begin == std::string_view::npos ? std::string() : rightTrimmed(text.substr(begin));
}

}  // namespace platform
