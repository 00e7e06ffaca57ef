#include "app/IconDesktopPrograms.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

// A GSettings Boolean that decides whether the program draws a desktop at all.
IconDesktopFix settingFix(const std::string& name, const std::string& schema, const std::string& key) {
    return {
        "Turn Off " + name + "'s Desktop",
        "Turning off " + name + "'s desktop (its setting " + schema + " " + key +
            ") shows the live wallpaper instead; the desktop icons go with it. \"Show " + name +
            "'s Desktop Again\" in the Tavelo menu puts the setting back as it was.",
        {"gsettings", "get", schema, key},
        {"gsettings", "set", schema, key, "false"},
        {"gsettings", "set", schema, key, "{previous}"},
        false,
    };
}

// A program whose desktop is turned off by a switch of its own and comes back when
// the program is started with its desktop again. Nothing of the user's settings
// changes: a session that starts the desktop again at login has it turned off again,
// as agreed, until the user brings it back.
IconDesktopFix switchFix(const std::string& name, std::vector<std::string> off, std::vector<std::string> on) {
    return {
        "Turn Off " + name + "'s Desktop",
        name +
            " paints its own background under the desktop icons. Turning its desktop off shows the live wallpaper "
            "instead, now and whenever that desktop comes back; the desktop icons go with it. \"Show " +
            name + "'s Desktop Again\" in the Tavelo menu starts it again.",
        {},
        std::move(off),
        std::move(on),
        true,
    };
}

// A desktop that cannot be turned off without taking the whole session with it, and
// that cannot be seen through: the user is told why the live view does not show.
IconDesktopFix noticeOnly(std::string explanation) { return {"", std::move(explanation), {}, {}, {}, false}; }

struct KnownProgram {
    // WM_CLASS names, compared without regard to case: the class, or the instance
    // where the class is shared (caja's desktop is instance "desktop_window", class "Caja").
    const char* windowClass;
    IconDesktopProgram program;
};

const std::vector<KnownProgram>& knownPrograms() {
    static const std::vector<KnownProgram> programs = {
        {"caja", {"caja", settingFix("caja", "org.mate.background", "show-desktop-icons")}},
        {"nemo-desktop", {"nemo", settingFix("nemo", "org.nemo.desktop", "show-desktop-icons")}},
        {"pcmanfm", {"pcmanfm", switchFix("pcmanfm", {"pcmanfm", "--desktop-off"}, {"pcmanfm", "--desktop"})}},
        {"pcmanfm-qt",
         {"pcmanfm-qt", switchFix("pcmanfm-qt", {"pcmanfm-qt", "--desktop-off"}, {"pcmanfm-qt", "--desktop"})}},
        // Plasma's shell draws its panels too, and KWin draws its desktop opaque.
        {"plasmashell",
         {"plasmashell",
          noticeOnly("KDE Plasma paints its own desktop, its wallpaper and icons, over every window beneath it, so "
                     "the live wallpaper cannot be seen in a Plasma session yet. Tavelo keeps running in the tray, "
                     "where you can switch views or quit it.")}},
        // xfdesktop has no switch for no desktop: it is asked to quit.
        {"xfdesktop", {"xfdesktop", switchFix("xfdesktop", {"xfdesktop", "--quit"}, {"xfdesktop"})}},
    };
    return programs;
}

bool sameName(const std::string& a, const char* b) {
    const std::string other(b);
    return std::equal(a.begin(), a.end(), other.begin(), other.end(),
                      [](char x, char y) { return std::tolower(static_cast<unsigned char>(x)) == y; });
}

}  // namespace

std::optional<IconDesktopProgram> iconDesktopProgramFor(const platform::IconDesktopSighting& sighting) {
    for (const auto& known : knownPrograms()) {
        if (sameName(sighting.windowClass, known.windowClass) || sameName(sighting.instance, known.windowClass)) {
            return known.program;
        }
    }
    return std::nullopt;
}

std::optional<IconDesktopProgram> iconDesktopProgramNamed(const std::string& name) {
    for (const auto& known : knownPrograms()) {
        if (known.program.name == name) {
            return known.program;
        }
    }
    return std::nullopt;
}

std::vector<std::string> restartCommand(const IconDesktopProgram& program,
                                        const std::vector<std::string>& seenCommandLine) {
    const auto& fallback = program.fix.undo;
    // The seen command line must start the same program (by its executable's name) and
    // must not be the one that turned it off.
    if (seenCommandLine.empty() || fallback.empty() ||
        std::filesystem::path(seenCommandLine.front()).filename() != fallback.front() ||
        seenCommandLine == program.fix.apply) {
        return fallback;
    }
    return seenCommandLine;
}

std::vector<std::string> undoCommand(const IconDesktopFix& fix, const std::string& previous) {
    std::vector<std::string> command = fix.undo;
    std::replace(command.begin(), command.end(), std::string("{previous}"), previous);
    return command;
}
