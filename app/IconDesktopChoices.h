#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

// What the user answered about each icon program's desktop, kept between runs in a
// small file of the application's own beside config.json (which holds its two
// settings and nothing else, and which the screen saver reads).
class IconDesktopChoices {
public:
    struct Choice {
        enum class Kind {
            // Answered "Later", or brought the desktop back: not asked again.
            keep,
            // The fix was applied; what the undo needs is kept with it.
            turnedOff,
        };
        Kind kind = Kind::keep;
        // What the setting held before the fix (a setting fix only).
        std::string previous;
        // What starts the program's desktop again (a program that was asked to stop).
        std::vector<std::string> restart;

        friend bool operator==(const Choice&, const Choice&) = default;
    };

    // Reads the file at once; a missing or unusable file holds no choices.
    explicit IconDesktopChoices(std::filesystem::path file);

    // The file under the current home folder.
    static std::filesystem::path defaultFile();

    std::optional<Choice> choiceFor(const std::string& program) const;
    // Remembered and written at once.
    void remember(const std::string& program, const Choice& choice);
    // The programs whose desktop is turned off now, by name.
    std::vector<std::string> turnedOff() const;

private:
    void save() const;

    std::filesystem::path file_;
    std::map<std::string, Choice> choices_;
};
