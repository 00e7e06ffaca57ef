#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The length that asks the status bar for a square item.
inline constexpr double squareStatusItemLength = -2.0;

// One entry of a menu. Only its title changes after the menu is built, except for
// an entry that offers to undo something done later (inserted, then removed).
class MenuItem {
public:
    virtual ~MenuItem() = default;
    virtual void setTitle(std::string_view title) = 0;
};

// A plain menu. Each item carries a key equivalent (shown with the platform's
// default modifier; empty for none) and the action it runs when chosen.
class Menu {
public:
    virtual ~Menu() = default;
    virtual MenuItem& addItem(std::string_view title, std::string_view keyEquivalent, std::function<void()> action) = 0;
    virtual void addSeparator() = 0;
    // An item at `position` (0 for the first, counting separators); the menu keeps it
    // until it is removed.
    virtual MenuItem& insertItem(std::size_t position, std::string_view title, std::function<void()> action) = 0;
    virtual void removeItem(MenuItem& item) = 0;
};

// What the status item shows in the status bar.
class StatusBarButton {
public:
    virtual ~StatusBarButton() = default;
    // The picture in the file `image`, or none.
    virtual void setImage(const std::optional<std::filesystem::path>& image) = 0;
    virtual bool hasImage() const = 0;
};

// An item of the system status bar (the tray) with the menu it opens.
class StatusItem {
public:
    virtual ~StatusItem() = default;
    // The button, or nothing where the status bar offers none.
    virtual StatusBarButton* button() = 0;
    // The item keeps the menu from now on.
    virtual void setMenu(std::unique_ptr<Menu> menu) = 0;
};

}  // namespace platform
