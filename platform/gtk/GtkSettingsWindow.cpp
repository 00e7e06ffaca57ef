#include "platform/gtk/GtkSettingsWindow.h"

#include "platform/TextContrast.h"
#include "platform/gtk/ThemeStyle.h"

#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include <algorithm>
#include <cmath>
#include <string>

namespace platform::gtk {

namespace {

// The texts' sizes, fixed like the window, so that a larger text scale cannot push the
// version line out of it.
constexpr Font headingFont{15, true};
constexpr Font checkboxFont{13, false};
constexpr Font footerFont{11, false};
constexpr GdkRGBA fallbackBackground{0.96, 0.96, 0.96, 1};

std::vector<GtkSettingsWindow*>& liveWindows() {
    static std::vector<GtkSettingsWindow*> windows;
    return windows;
}

int pixels(double value) { return static_cast<int>(std::lround(value)); }

GtkWidget* makeLabel(const std::string& text, Font font) {
    GtkWidget* label = gtk_label_new(text.c_str());
    gtk_label_set_single_line_mode(GTK_LABEL(label), TRUE);
    gtk_label_set_selectable(GTK_LABEL(label), FALSE);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    applyFont(GTK_LABEL(label), font);
    return label;
}

// Stacked from the top edge down, each `gap` below the one before, `inset` from the
// leading edge (or centred).
void stackFromTop(GtkWidget* content, GtkWidget* child, int gap, std::optional<int> inset) {
    gtk_widget_set_halign(child, inset ? GTK_ALIGN_START : GTK_ALIGN_CENTER);
    gtk_widget_set_margin_start(child, inset.value_or(0));
    gtk_widget_set_margin_top(child, gap);
    gtk_box_pack_start(GTK_BOX(content), child, FALSE, FALSE, 0);
}

// The fine print: dimmed in the theme's own colours, but never below readable contrast
// (an opacity alone would leave it at 2.6:1 in some themes). Again at each theme change.
void dimVersionText(GtkWidget* label, gpointer = nullptr) {
    auto attributes = fontAttributes(footerFont);
    const GdkRGBA background = themeColor(label, "theme_bg_color", fallbackBackground);
    const GdkRGBA color = readableTextColor(label, TextColor::tertiaryLabel, background);
    addForeground(attributes.get(), color.red, color.green, color.blue);
    gtk_label_set_attributes(GTK_LABEL(label), attributes.get());
}

// The theme's link colour, moved towards its text colour only as far as readable
// contrast needs (some dark themes draw links at about 3:1). Again at each theme change.
void keepLinkReadable(GtkWidget* label, gpointer = nullptr) {
    GtkStyleContext* style = gtk_widget_get_style_context(label);
    GdkRGBA link;
    gtk_style_context_get_color(style, gtk_style_context_get_state(style), &link);
    const GdkRGBA text = themeColor(label, "theme_fg_color", link);
    const GdkRGBA background = themeColor(label, "theme_bg_color", fallbackBackground);
    const Rgb readable = towardsContrast({link.red, link.green, link.blue}, {text.red, text.green, text.blue},
                                         {background.red, background.green, background.blue}, minimumContrastOf(label));
    auto attributes = fontAttributes(footerFont);
    addForeground(attributes.get(), readable.red, readable.green, readable.blue);
    gtk_label_set_attributes(GTK_LABEL(label), attributes.get());
}

}  // namespace

void presentWithServerTime(GtkWindow* window) {
    gtk_widget_realize(GTK_WIDGET(window));
    guint32 timestamp = GDK_CURRENT_TIME;
#ifdef GDK_WINDOWING_X11
    GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(window));
    if (gdkWindow != nullptr && GDK_IS_X11_WINDOW(gdkWindow)) {
        timestamp = gdk_x11_get_server_time(gdkWindow);
    }
#endif
    gtk_window_present_with_time(window, timestamp);
}

void activateTitledWindows() {
    for (auto* window : liveWindows()) {
        if (window->isVisible()) {
            presentWithServerTime(window->gtkWindow());
        }
    }
}

GtkSettingsWindow::GtkSettingsWindow(const SettingsWindowContent& content, SettingsWindowEvents events)
    : window_(retainFloating(gtk_window_new(GTK_WINDOW_TOPLEVEL))), events_(std::move(events)) {
    if (gdk_screen_get_default() != nullptr) {
        styleSheet_ = adoptGObject(gtk_css_provider_new());
        // A link and a checkbox no taller than their text, so that the window's fixed
        // spacing leaves room for the version line. Only sizes: every colour and border
        // comes from the theme, so high-contrast themes apply in full.
        gtk_css_provider_load_from_data(styleSheet_.get(),
                                        ".tavelo-inline-link { padding: 0 2px; min-height: 0; }\n"
                                        "checkbutton.tavelo-compact { padding-top: 0; padding-bottom: 0; }",
                                        -1, nullptr);
        gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(styleSheet_.get()),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    }
    GtkWidget* body = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_widget_set_size_request(body, pixels(content.frame.width), pixels(content.frame.height));
    stackFromTop(body, makeLabel(content.heading, headingFont), 24, 24);
    stackFromTop(body, makeGrid(content), 16, std::nullopt);
    GtkWidget* separator = gtk_separator_new(GTK_ORIENTATION_HORIZONTAL);
    stackFromTop(body, separator, 20, 24);
    gtk_widget_set_halign(separator, GTK_ALIGN_FILL);
    gtk_widget_set_margin_end(separator, 24);
    stackFromTop(body, makeCheckbox(content), 14, 24);
    GtkWidget* footer = makeFooter(content);
    gtk_widget_set_halign(footer, GTK_ALIGN_START);
    gtk_widget_set_margin_start(footer, 24);
    gtk_widget_set_margin_bottom(footer, 16);
    gtk_box_pack_end(GTK_BOX(body), footer, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(window_.get()), body);
    gtk_widget_show_all(body);

    gtk_window_set_title(gtkWindow(), content.title.c_str());
    gtk_window_set_resizable(gtkWindow(), FALSE);
    gtk_window_set_default_size(gtkWindow(), pixels(content.frame.width), pixels(content.frame.height));
    gtk_window_set_position(gtkWindow(), GTK_WIN_POS_CENTER);
    g_signal_connect(window_.get(), "delete-event", G_CALLBACK(&GtkSettingsWindow::onDelete), this);
    liveWindows().push_back(this);
}

GtkSettingsWindow::~GtkSettingsWindow() {
    auto& windows = liveWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
    g_signal_handlers_disconnect_by_data(window_.get(), this);
    if (checkbox_ != nullptr) {
        g_signal_handlers_disconnect_by_data(checkbox_, this);
    }
    gtk_widget_destroy(window_.get());
}

GtkWidget* GtkSettingsWindow::makeGrid(const SettingsWindowContent& content) {
    GtkWidget* grid = gtk_box_new(GTK_ORIENTATION_VERTICAL, 16);
    for (std::size_t row = 0; row < content.gridRows; ++row) {
        // A row without cards still takes its place, so the grid keeps its shape.
        GtkWidget* rowBox = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 16);
        for (std::size_t column = 0; column < content.gridColumns; ++column) {
            const std::size_t index = row * content.gridColumns + column;
            if (index >= content.cardCount) {
                break;
            }
            cards_.push_back(std::make_unique<GtkSettingsCard>(
                content.cardFrame, content.cardFrames,
                GtkSettingsCard::Handlers{
                    .pointerCrossed = [this, index](bool entered) { events_.pointerCrossedCard(index, entered); },
                    .clicked = [this, index] { events_.cardClicked(index); },
                }));
            gtk_widget_set_valign(cards_.back()->widget(), GTK_ALIGN_CENTER);
            gtk_box_pack_start(GTK_BOX(rowBox), cards_.back()->widget(), FALSE, FALSE, 0);
        }
        gtk_box_pack_start(GTK_BOX(grid), rowBox, FALSE, FALSE, 0);
    }
    return grid;
}

GtkWidget* GtkSettingsWindow::makeCheckbox(const SettingsWindowContent& content) {
    checkbox_ = gtk_check_button_new_with_label(content.launchTitle.c_str());
    gtk_style_context_add_class(gtk_widget_get_style_context(checkbox_), "tavelo-compact");
    if (GtkWidget* label = gtk_bin_get_child(GTK_BIN(checkbox_)); GTK_IS_LABEL(label)) {
        applyFont(GTK_LABEL(label), checkboxFont);
    }
    setLaunchAtLogin(content.launchAtLogin);
    g_signal_connect(checkbox_, "toggled", G_CALLBACK(&GtkSettingsWindow::onToggled), this);
    return checkbox_;
}

GtkWidget* GtkSettingsWindow::makeFooter(const SettingsWindowContent& content) {
    GtkWidget* footer = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    GtkWidget* version = makeLabel(content.versionText, footerFont);
    dimVersionText(version);
    g_signal_connect(version, "style-updated", G_CALLBACK(&dimVersionText), nullptr);

    GtkWidget* link = gtk_link_button_new_with_label(content.linkTitle.c_str(), content.linkTitle.c_str());
    // The owner decides what a click opens; the button only looks like a link.
    gtk_widget_set_has_tooltip(link, FALSE);
    gtk_style_context_add_class(gtk_widget_get_style_context(link), "tavelo-inline-link");
    if (GtkWidget* label = gtk_bin_get_child(GTK_BIN(link)); GTK_IS_LABEL(label)) {
        keepLinkReadable(label);
        g_signal_connect(label, "style-updated", G_CALLBACK(&keepLinkReadable), nullptr);
    }
    g_signal_connect(link, "activate-link", G_CALLBACK(&GtkSettingsWindow::onActivateLink), this);

    for (GtkWidget* child : {version, link}) {
        gtk_widget_set_valign(child, GTK_ALIGN_CENTER);
        gtk_box_pack_start(GTK_BOX(footer), child, FALSE, FALSE, 0);
    }
    return footer;
}

void GtkSettingsWindow::showCard(std::size_t card, const CardFace& face) { cards_.at(card)->show(face); }

void GtkSettingsWindow::scaleCard(std::size_t card, double factor, double seconds) {
    cards_.at(card)->animateScale(factor, seconds);
}

void GtkSettingsWindow::setLaunchAtLogin(bool on) {
    // A state set by code is not a click: the toggle handler must not hear of it.
    settingFromCode_ = true;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(checkbox_), on ? TRUE : FALSE);
    settingFromCode_ = false;
}

void GtkSettingsWindow::onToggled(GtkToggleButton* button, gpointer data) {
    auto* self = static_cast<GtkSettingsWindow*>(data);
    if (!self->settingFromCode_ && self->events_.launchToggled) {
        self->events_.launchToggled(gtk_toggle_button_get_active(button) != FALSE);
    }
}

gboolean GtkSettingsWindow::onActivateLink(GtkLinkButton*, gpointer data) {
    auto* self = static_cast<GtkSettingsWindow*>(data);
    if (self->events_.linkClicked) {
        self->events_.linkClicked();
    }
    return TRUE;  // handled: GTK must not open the title as an address
}

gboolean GtkSettingsWindow::onDelete(GtkWidget*, GdkEvent*, gpointer data) {
    static_cast<GtkSettingsWindow*>(data)->orderOut();
    return TRUE;  // kept for later, not destroyed
}

void GtkSettingsWindow::makeKeyAndOrderFront() {
    if (lastPosition_ && !isVisible()) {
        // Brought back where it was closed, not centred again.
        gtk_window_set_position(gtkWindow(), GTK_WIN_POS_NONE);
        gtk_window_move(gtkWindow(), lastPosition_->first, lastPosition_->second);
    }
    presentWithServerTime(gtkWindow());
}

void GtkSettingsWindow::orderOut() {
    if (isVisible()) {
        int x = 0;
        int y = 0;
        gtk_window_get_position(gtkWindow(), &x, &y);
        lastPosition_ = {x, y};
    }
    gtk_widget_hide(window_.get());
}

bool GtkSettingsWindow::isVisible() const { return gtk_widget_get_visible(window_.get()); }

}  // namespace platform::gtk
