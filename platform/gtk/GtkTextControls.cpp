#include "platform/gtk/GtkTextControls.h"

#include "platform/TextContrast.h"
#include "platform/gtk/ThemeStyle.h"

namespace platform::gtk {

GtkTextLabel::GtkTextLabel(const std::string& text, Font font)
    : widget_(retainFloating(gtk_label_new(text.c_str()))), font_(font) {
    GtkLabel* label = GTK_LABEL(widget_.get());
    gtk_label_set_single_line_mode(label, TRUE);
    gtk_label_set_selectable(label, FALSE);
    gtk_label_set_xalign(label, 0.0f);
    applyAttributes();
    // A change of theme (light, dark, high contrast) recomputes a dimmed colour.
    g_signal_connect(widget_.get(), "style-updated", G_CALLBACK(&GtkTextLabel::onStyleUpdated), this);
}

GtkTextLabel::~GtkTextLabel() { g_signal_handlers_disconnect_by_data(widget_.get(), this); }

void GtkTextLabel::setTextColor(TextColor color) {
    color_ = color;
    applyAttributes();
}

void GtkTextLabel::onStyleUpdated(GtkWidget*, gpointer self) { static_cast<GtkTextLabel*>(self)->applyAttributes(); }

void GtkTextLabel::applyAttributes() {
    auto attributes = fontAttributes(font_);
    if (color_ != TextColor::label) {
        // Dimmed in the theme's own colours, but never below readable contrast: an
        // opacity alone would leave fine print at 2.6:1 in some themes.
        const GdkRGBA background = themeColor(widget_.get(), "theme_bg_color", GdkRGBA{0.96, 0.96, 0.96, 1});
        const GdkRGBA color = readableTextColor(widget_.get(), color_, background);
        addForeground(attributes.get(), color.red, color.green, color.blue);
    }
    gtk_label_set_attributes(GTK_LABEL(widget_.get()), attributes.get());
}

GtkCheckboxControl::GtkCheckboxControl(const std::string& title)
    : widget_(retainFloating(gtk_check_button_new_with_label(title.c_str()))) {
    gtk_style_context_add_class(gtk_widget_get_style_context(widget_.get()), "tavelo-compact");
    // The system font's 13 pixels, fixed like the rest of the window's text, so that a
    // larger text scale cannot push the version line out of the fixed-size window.
    if (GtkWidget* label = gtk_bin_get_child(GTK_BIN(widget_.get())); GTK_IS_LABEL(label)) {
        applyFont(GTK_LABEL(label), Font{13, false});
    }
    g_signal_connect(widget_.get(), "toggled", G_CALLBACK(&GtkCheckboxControl::onToggled), this);
}

GtkCheckboxControl::~GtkCheckboxControl() { g_signal_handlers_disconnect_by_data(widget_.get(), this); }

void GtkCheckboxControl::setState(bool on) {
    // A state set by code is not a click: the toggle handler must not hear of it.
    settingFromCode_ = true;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget_.get()), on ? TRUE : FALSE);
    settingFromCode_ = false;
}

bool GtkCheckboxControl::state() const { return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget_.get())); }

void GtkCheckboxControl::onToggled(GtkToggleButton*, gpointer data) {
    auto* self = static_cast<GtkCheckboxControl*>(data);
    if (!self->settingFromCode_ && self->handler_) {
        self->handler_(*self);
    }
}

GtkLinkButtonControl::GtkLinkButtonControl(const std::string& title, Font font)
    : widget_(retainFloating(gtk_link_button_new_with_label(title.c_str(), title.c_str()))), font_(font) {
    // The owner decides what a click opens; the button only looks like a link.
    gtk_widget_set_has_tooltip(widget_.get(), FALSE);
    gtk_style_context_add_class(gtk_widget_get_style_context(widget_.get()), "tavelo-inline-link");
    gtk_widget_set_valign(widget_.get(), GTK_ALIGN_CENTER);
    if (GtkWidget* label = gtk_bin_get_child(GTK_BIN(widget_.get())); GTK_IS_LABEL(label)) {
        g_signal_connect(label, "style-updated", G_CALLBACK(&GtkLinkButtonControl::onLabelStyleUpdated), this);
    }
    applyLabelAttributes();
    g_signal_connect(widget_.get(), "activate-link", G_CALLBACK(&GtkLinkButtonControl::onActivateLink), this);
}

GtkLinkButtonControl::~GtkLinkButtonControl() {
    if (GtkWidget* label = gtk_bin_get_child(GTK_BIN(widget_.get()))) {
        g_signal_handlers_disconnect_by_data(label, this);
    }
    g_signal_handlers_disconnect_by_data(widget_.get(), this);
}

void GtkLinkButtonControl::onLabelStyleUpdated(GtkWidget*, gpointer self) {
    static_cast<GtkLinkButtonControl*>(self)->applyLabelAttributes();
}

void GtkLinkButtonControl::applyLabelAttributes() {
    GtkWidget* label = gtk_bin_get_child(GTK_BIN(widget_.get()));
    if (!GTK_IS_LABEL(label)) {
        return;
    }
    // The theme's link colour, moved towards its text colour only as far as readable
    // contrast needs (some dark themes draw links at about 3:1).
    GtkStyleContext* style = gtk_widget_get_style_context(label);
    GdkRGBA link;
    gtk_style_context_get_color(style, gtk_style_context_get_state(style), &link);
    const GdkRGBA text = themeColor(label, "theme_fg_color", link);
    const GdkRGBA background = themeColor(label, "theme_bg_color", GdkRGBA{0.96, 0.96, 0.96, 1});
    const Rgb readable = towardsContrast({link.red, link.green, link.blue}, {text.red, text.green, text.blue},
                                         {background.red, background.green, background.blue}, minimumContrastOf(label));
    auto attributes = fontAttributes(font_);
    addForeground(attributes.get(), readable.red, readable.green, readable.blue);
    gtk_label_set_attributes(GTK_LABEL(label), attributes.get());
}

gboolean GtkLinkButtonControl::onActivateLink(GtkLinkButton*, gpointer data) {
    auto* self = static_cast<GtkLinkButtonControl*>(data);
    if (self->handler_) {
        self->handler_();
    }
    return TRUE;  // handled: GTK must not open the title as an address
}

}  // namespace platform::gtk
