#pragma once

#include "platform/SettingsWindow.h"
#include "platform/gtk/GObjectPtr.h"
#include "platform/gtk/GtkSettingsCard.h"

#include <gtk/gtk.h>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace platform::gtk {

// The settings window on stock GTK widgets, so that it follows the desktop theme: a
// decorated window of fixed size holding, from the top, the heading, the grid of
// cards, a separator and the checkbox, with the version line and its link at the
// bottom. Closed, it is only hidden, and it comes back where the user left it.
class GtkSettingsWindow : public SettingsWindow {
public:
    GtkSettingsWindow(const SettingsWindowContent& content, SettingsWindowEvents events);
    ~GtkSettingsWindow() override;
    GtkSettingsWindow(const GtkSettingsWindow&) = delete;
    GtkSettingsWindow& operator=(const GtkSettingsWindow&) = delete;

    void showCard(std::size_t card, const CardFace& face) override;
    void scaleCard(std::size_t card, double factor, double seconds) override;
    void setLaunchAtLogin(bool on) override;
    void makeKeyAndOrderFront() override;
    void orderOut() override;

    bool isVisible() const;
    GtkWindow* gtkWindow() const { return GTK_WINDOW(window_.get()); }

private:
    GtkWidget* makeGrid(const SettingsWindowContent& content);
    GtkWidget* makeCheckbox(const SettingsWindowContent& content);
    GtkWidget* makeFooter(const SettingsWindowContent& content);

    static gboolean onDelete(GtkWidget* widget, GdkEvent* event, gpointer self);
    static void onToggled(GtkToggleButton* button, gpointer self);
    static gboolean onActivateLink(GtkLinkButton* button, gpointer self);

    GObjectPtr<GtkWidget> window_;
    GObjectPtr<GtkCssProvider> styleSheet_;
    std::vector<std::unique_ptr<GtkSettingsCard>> cards_;
    GtkWidget* checkbox_ = nullptr;  // owned by the window
    SettingsWindowEvents events_;
    bool settingFromCode_ = false;
    std::optional<std::pair<int, int>> lastPosition_;
};

// Orders `window` in front and gives it the focus now. On X11 the request carries the
// server's current time, so that the window manager grants it even though the user's
// last click went to another application (or to the tray).
void presentWithServerTime(GtkWindow* window);

// Brings the application's shown settings window in front of other applications' windows.
void activateTitledWindows();

}  // namespace platform::gtk
