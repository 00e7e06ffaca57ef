#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace screensaver {

// Where the home folder can come from, in the order the screen saver asks.
struct HomeDirectorySources {
    // The user database entry of the process's real user (nothing without an entry or a home in it).
    std::function<std::optional<std::filesystem::path>()> userDatabaseHome;
    // The home folder as the file manager sees it.
    std::function<std::filesystem::path()> fileManagerHome;

    static HomeDirectorySources system();
};

// The account's home folder: the user database first, the file manager's answer otherwise.
std::filesystem::path realHomeDirectory(const HomeDirectorySources& sources);

// The view ID the application stored in its settings file, or "crypto_bubbles" with a
// line that says why. Reads the file afresh on every call and never writes it.
std::string loadSelectedViewID(const HomeDirectorySources& sources);

}  // namespace screensaver
