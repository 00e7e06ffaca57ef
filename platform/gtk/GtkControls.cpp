#include "platform/gtk/GtkControls.h"

#include "platform/TextContrast.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

namespace platform::gtk {

namespace {

int pixels(double value) { return static_cast<int>(std::lround(value)); }

struct AttrListUnref {
    void operator()(PangoAttrList* list) const { pango_attr_list_unref(list); }
};

void placeAcross(GtkWidget* widget, HorizontalPlacement placement) {
    switch (placement.kind) {
    case HorizontalPlacement::Kind::leading:
        gtk_widget_set_halign(widget, GTK_ALIGN_START);
        gtk_widget_set_margin_start(widget, pixels(placement.inset));
        break;
    case HorizontalPlacement::Kind::centered: gtk_widget_set_halign(widget, GTK_ALIGN_CENTER); break;
    case HorizontalPlacement::Kind::stretched:
        gtk_widget_set_halign(widget, GTK_ALIGN_FILL);
        gtk_widget_set_margin_start(widget, pixels(placement.inset));
        gtk_widget_set_margin_end(widget, pixels(placement.inset));
        break;
    }
}

}  // namespace

namespace {

std::unique_ptr<PangoAttrList, AttrListUnref> fontAttributes(Font font) {
    std::unique_ptr<PangoAttrList, AttrListUnref> attributes(pango_attr_list_new());
    pango_attr_list_insert(attributes.get(), pango_attr_size_new_absolute(pixels(font.size * PANGO_SCALE)));
    pango_attr_list_insert(attributes.get(),
                           pango_attr_weight_new(font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL));
    return attributes;
}

guint16 channel16(double value) { return static_cast<guint16>(std::lround(std::clamp(value, 0.0, 1.0) * 65535)); }

}  // namespace

void applyFont(GtkLabel* label, Font font) { gtk_label_set_attributes(label, fontAttributes(font).get()); }

GdkRGBA themeColor(GtkWidget* widget, const char* name, GdkRGBA fallback) {
    GdkRGBA color = fallback;
    if (!gtk_style_context_lookup_color(gtk_widget_get_style_context(widget), name, &color)) {
        return fallback;
    }
    return color;
}

bool isHighContrastTheme(GtkWidget* widget) {
    // By name, as GTK's own HighContrast themes are known; or by what any theme shows.
    const char* forced = g_getenv("GTK_THEME");
    gchar* configured = nullptr;
    g_object_get(gtk_widget_get_settings(widget), "gtk-theme-name", &configured, nullptr);
    const std::string name = forced != nullptr && *forced != '\0' ? forced : (configured != nullptr ? configured : "");
    g_free(configured);
    if (name.rfind("HighContrast", 0) == 0) {
        return true;
    }
    const GdkRGBA background = themeColor(widget, "theme_bg_color", GdkRGBA{0.96, 0.96, 0.96, 1});
    const GdkRGBA borders = themeColor(widget, "borders", background);
    return isVisibleEdge({borders.red, borders.green, borders.blue},
                         {background.red, background.green, background.blue});
}

double minimumContrastOf(GtkWidget* widget) {
    return isHighContrastTheme(widget) ? enhancedTextContrast : minimumTextContrast;
}

GdkRGBA readableTextColor(GtkWidget* widget, TextColor color, const GdkRGBA& background) {
    const GdkRGBA text = themeColor(widget, "theme_fg_color", GdkRGBA{0.1, 0.1, 0.1, 1});
    const Rgb readable =
        dimmedTextColor({text.red, text.green, text.blue}, {background.red, background.green, background.blue},
                        opacityOf(color), minimumContrastOf(widget));
    return GdkRGBA{readable.red, readable.green, readable.blue, 1};
}

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
        pango_attr_list_insert(attributes.get(), pango_attr_foreground_new(channel16(color.red), channel16(color.green),
                                                                           channel16(color.blue)));
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
    pango_attr_list_insert(
        attributes.get(),
        pango_attr_foreground_new(channel16(readable.red), channel16(readable.green), channel16(readable.blue)));
    gtk_label_set_attributes(GTK_LABEL(label), attributes.get());
}

gboolean GtkLinkButtonControl::onActivateLink(GtkLinkButton*, gpointer data) {
    auto* self = static_cast<GtkLinkButtonControl*>(data);
    if (self->handler_) {
        self->handler_();
    }
    return TRUE;  // handled: GTK must not open the title as an address
}

GtkStackControl::GtkStackControl(StackOrientation orientation, double spacing)
    : widget_(retainFloating(
          gtk_box_new(orientation == StackOrientation::vertical ? GTK_ORIENTATION_VERTICAL : GTK_ORIENTATION_HORIZONTAL,
                      pixels(spacing)))),
      orientation_(orientation) {}

void GtkStackControl::addArrangedSubview(Widget& widget) {
    GtkWidget* child = gtkWidgetOf(widget);
    if (orientation_ == StackOrientation::horizontal) {
        gtk_widget_set_valign(child, GTK_ALIGN_CENTER);
    }
    gtk_box_pack_start(GTK_BOX(widget_.get()), child, FALSE, FALSE, 0);
    gtk_widget_show(child);
}

GtkSeparatorControl::GtkSeparatorControl() : widget_(retainFloating(gtk_separator_new(GTK_ORIENTATION_HORIZONTAL))) {}

GtkContentControl::GtkContentControl(double width, double height)
    : widget_(retainFloating(gtk_box_new(GTK_ORIENTATION_VERTICAL, 0))) {
    gtk_widget_set_size_request(widget_.get(), pixels(width), pixels(height));
}

void GtkContentControl::addBelowPrevious(Widget& widget, double gap, HorizontalPlacement placement) {
    GtkWidget* child = gtkWidgetOf(widget);
    gtk_widget_set_margin_top(child, pixels(gap));
    placeAcross(child, placement);
    gtk_box_pack_start(GTK_BOX(widget_.get()), child, FALSE, FALSE, 0);
    gtk_widget_show(child);
}

void GtkContentControl::pinToBottom(Widget& widget, double gap, HorizontalPlacement placement) {
    GtkWidget* child = gtkWidgetOf(widget);
    gtk_widget_set_margin_bottom(child, pixels(gap));
    placeAcross(child, placement);
    gtk_box_pack_end(GTK_BOX(widget_.get()), child, FALSE, FALSE, 0);
    gtk_widget_show(child);
}

}  // namespace platform::gtk
