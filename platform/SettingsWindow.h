#pragma once

#include "platform/Rect.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace platform {

// The frames of a card's parts, in the card's own coordinates with the origin at
// its bottom-left corner (y grows upwards). `glyph` is relative to `overlay`.
struct CardFrames {
    Rect container;
    Rect preview;
    Rect title;
    Rect description;
    Rect overlay;
    Rect glyph;

    friend bool operator==(const CardFrames&, const CardFrames&) = default;
};

// What one card of the settings window shows.
struct CardFace {
    std::string title;
    std::string description;
    std::optional<std::filesystem::path> preview;  // nothing: the picture stays empty
    bool covered = true;                           // the dark overlay with the padlock
    double borderWidth = 0;                        // in the desktop's accent colour; 0: none
};

// What the settings window holds, fixed when it is made: the texts, the size of its
// content and of its grid of cards (every card the same size, laid out by `cardFrames`).
struct SettingsWindowContent {
    std::string title;
    Rect frame;
    std::string heading;
    std::size_t cardCount = 0;
    std::size_t gridRows = 0;
    std::size_t gridColumns = 0;
    Rect cardFrame;
    CardFrames cardFrames;
    std::string launchTitle;
    bool launchAtLogin = false;
    std::string versionText;
    std::string linkTitle;
};

// What the user does in the window. A click on the checkbox has already flipped it.
struct SettingsWindowEvents {
    std::function<void(std::size_t card)> cardClicked;
    std::function<void(std::size_t card, bool entered)> pointerCrossedCard;
    std::function<void(bool on)> launchToggled;
    std::function<void()> linkClicked;
};

// The settings window: a heading, the grid of cards, the launch-at-login checkbox and
// a version line with a link. It decides nothing; its owner says what each card shows.
class SettingsWindow {
public:
    virtual ~SettingsWindow() = default;

    virtual void showCard(std::size_t card, const CardFace& face) = 0;
    // Scales the card about its bottom-left corner to `factor`, replacing the previous
    // scale, animated over `seconds`.
    virtual void scaleCard(std::size_t card, double factor, double seconds) = 0;
    // Set from code, not a click: no event follows.
    virtual void setLaunchAtLogin(bool on) = 0;

    // Shown in front, where it was closed or centred the first time. Closing only hides it.
    virtual void makeKeyAndOrderFront() = 0;
    virtual void orderOut() = 0;
};

}  // namespace platform
