#pragma once

#include "platform/StatusItem.h"
#include "platform/gtk/GObjectPtr.h"

#include <gtk/gtk.h>

#include <memory>
#include <vector>

// The library's own tag name, declared here to keep its header out of ours.
typedef struct _AppIndicator AppIndicator;  // NOLINT(bugprone-reserved-identifier)

namespace platform::gtk {

class GtkStatusMenuItem : public MenuItem {
public:
    GtkStatusMenuItem(GtkWidget* item, std::function<void()> action);
    ~GtkStatusMenuItem() override;
    GtkStatusMenuItem(const GtkStatusMenuItem&) = delete;
    GtkStatusMenuItem& operator=(const GtkStatusMenuItem&) = delete;
    void setTitle(std::string_view title) override;
    GtkWidget* widget() const { return item_.get(); }

private:
    static void onActivate(GtkMenuItem* item, gpointer self);

    // Kept alive by the item too: the tray may destroy the menu before we let it go.
    GObjectPtr<GtkWidget> item_;
    std::function<void()> action_;
};

// A GtkMenu whose key equivalents show as Ctrl+key.
class GtkStatusMenu : public Menu {
public:
    GtkStatusMenu();
    ~GtkStatusMenu() override;
    GtkStatusMenu(const GtkStatusMenu&) = delete;
    GtkStatusMenu& operator=(const GtkStatusMenu&) = delete;
    MenuItem& addItem(std::string_view title, std::string_view keyEquivalent, std::function<void()> action) override;
    void addSeparator() override;
    MenuItem& insertItem(std::size_t position, std::string_view title, std::function<void()> action) override;
    void removeItem(MenuItem& item) override;

    GtkMenu* gtkMenu() const { return GTK_MENU(menu_.get()); }

private:
    GObjectPtr<GtkWidget> menu_;
    GObjectPtr<GtkAccelGroup> accelerators_;
    std::vector<std::unique_ptr<GtkStatusMenuItem>> items_;
};

// The tray icon: a StatusNotifierItem exported over D-Bus (libayatana-appindicator),
// which falls back to an XEmbed tray icon where only such a tray runs.
class GtkStatusItem : public StatusItem, public StatusBarButton {
public:
    GtkStatusItem();
    ~GtkStatusItem() override;

    StatusBarButton* button() override { return this; }
    void setMenu(std::unique_ptr<Menu> menu) override;

    void setImage(const std::optional<std::filesystem::path>& image) override;
    bool hasImage() const override { return hasImage_; }
    // Tray icons are drawn as given; a template image would only differ where a tray
    // recolours symbolic icons, and the logo is never one.

private:
    // The indicator goes first: it holds the menu until it is gone.
    std::unique_ptr<Menu> menu_;
    GObjectPtr<AppIndicator> indicator_;
    bool hasImage_ = false;
};

}  // namespace platform::gtk
