#pragma once

#include "platform/Window.h"

#include <optional>
#include <string>
#include <vector>

// What turns one icon program's desktop off, with the user's consent, and what
// brings it back as it was.
struct IconDesktopFix {
    // The dialog's button: what the fix does, in the user's words.
    std::string actionTitle;
    // Said under the question: what changes and how to undo it.
    std::string explanation;
    // Read first when the fix replaces a value of the user's own (a setting): its
    // output is kept for the undo. Empty when there is nothing to keep.
    std::vector<std::string> readPrevious;
    // Run to its end; the fix holds when it succeeds. Empty for a desktop that nothing
    // here can turn off or see through: the user is only told, once.
    std::vector<std::string> apply;
    // Brings the desktop back: "{previous}" stands for what readPrevious printed.
    std::vector<std::string> undo;
    // The undo starts the program's desktop again, which goes on running by itself;
    // the command line it was started with, where known, is used rather than `undo`.
    bool undoStartsProgram = false;
};

// A desktop-icon program whose desktop can hide the live wallpaper.
struct IconDesktopProgram {
    // Its name, as the user knows it and as its executable is called.
    std::string name;
    IconDesktopFix fix;
};

// The program that painted a desktop window, from the window's X11 class; nothing for
// a program this does not know how to ask.
std::optional<IconDesktopProgram> iconDesktopProgramFor(const platform::IconDesktopSighting& sighting);

// The program known by this name (as remembered between runs), or nothing.
std::optional<IconDesktopProgram> iconDesktopProgramNamed(const std::string& name);

// The command that brings the program's desktop back: its own command line when that
// was seen and is the program's (nobody else's program is started), else the fix's.
std::vector<std::string> restartCommand(const IconDesktopProgram& program,
                                        const std::vector<std::string>& seenCommandLine);

// The undo with the remembered value in place of "{previous}".
std::vector<std::string> undoCommand(const IconDesktopFix& fix, const std::string& previous);
