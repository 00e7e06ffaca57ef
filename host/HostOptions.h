#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace host {

// Where the host shows the screen saver.
enum class TargetKind {
    ownWindow,   // run by hand: a full-screen window of the host's own
    rootWindow,  // "-root" without XSCREENSAVER_WINDOW: the screen's root window
    windowID,    // a window someone else made (XScreenSaver's, or one given by id)
};

struct HostOptions {
    TargetKind target = TargetKind::ownWindow;
    std::uint64_t windowID = 0;
    // A .saver bundle chosen on the command line instead of the one beside the host.
    std::optional<std::filesystem::path> saverPath;
    bool help = false;
};

struct HostOptionsResult {
    std::optional<HostOptions> options;
    std::string error;  // set when options is empty
};

// Reads the command line (without the program name) and XSCREENSAVER_WINDOW (null
// when unset): "-root"/"--root" takes the window from the variable (the screen's root
// window without it), "-window-id"/"--window-id" names one; neither means a window of
// the host's own.
HostOptionsResult parseHostOptions(const std::vector<std::string>& arguments, const char* xscreensaverWindow);

// A window id as X tools print it ("0xC0000C", or decimal); nothing for anything else.
std::optional<std::uint64_t> parseWindowID(const std::string& text);

// Whether the command line and environment ask for a window of another client, which
// only X11 can give.
bool wantsForeignWindow(const std::vector<std::string>& arguments, const char* xscreensaverWindow);

}  // namespace host
