#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// One entry of the "programs:" list of XScreenSaver's settings file (~/.xscreensaver):
// the name its settings tool shows and the command line it runs.
struct XScreenSaverProgram {
    std::string label;
    std::string command;
};

// The entry as one line of the list, the last one (no continuation after it).
std::string programsEntryLine(const XScreenSaverProgram& program);

// The settings file's text with `program` at the end of its "programs:" list (the list
// is added when the file has none). Entries keep their order, so XScreenSaver's
// "selected:" index still names the same program; every line stays as it was except
// the one that ended the list, which gains the continuation the new entry needs.
// Returns the text unchanged when an entry already runs the same command.
std::string withProgramRegistered(std::string_view fileText, const XScreenSaverProgram& program);

// Whether some entry of the "programs:" list runs exactly `command` (enabled or not).
bool hasProgramCommand(std::string_view fileText, std::string_view command);

// The settings file's text with the entry that runs `command` as the one screen saver
// in use: "mode: one" and "selected:" its place in the list (counted from 0, disabled
// entries included, as XScreenSaver counts), the entry enabled if it was not. Those
// settings are changed where they are or added before the list; every other line stays
// as it was. Returns the text unchanged when no entry runs `command`.
std::string withProgramSelected(std::string_view fileText, std::string_view command);

// Registered as above, then selected: what installing a screen saver does.
std::string withProgramInUse(std::string_view fileText, const XScreenSaverProgram& program);

// The text of a settings file made for `program` alone, where the user had none.
std::string newSettingsFileText(const XScreenSaverProgram& program);

enum class RegistrationOutcome { added, alreadyRegistered, failed };

struct RegistrationResult {
    RegistrationOutcome outcome;
    std::string error;  // why it failed
};

// Registers `program` in the settings file at `file` and makes it the screen saver in
// use, creating the file when missing. alreadyRegistered: nothing needed changing.
RegistrationResult registerXScreenSaverProgram(const std::filesystem::path& file, const XScreenSaverProgram& program);

// ~/.xscreensaver of the current user.
std::filesystem::path xscreensaverSettingsFile();

// A word for a POSIX shell command line, quoted only when it needs to be.
std::string shellWord(std::string_view word);

}  // namespace platform
