#include "platform/gtk/GtkControls.h"

#include <cmath>

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
    case HorizontalPlacement::Kind::centered:
        gtk_widget_set_halign(widget, GTK_ALIGN_CENTER);
        break;
    case HorizontalPlacement::Kind::stretched:
        gtk_widget_set_halign(widget, GTK_ALIGN_FILL);
        gtk_widget_set_margin_start(widget, pixels(placement.inset));
        gtk_widget_set_margin_end(widget, pixels(placement.inset));
        break;
    }
}

}  // namespace

void applyFont(GtkLabel* label, Font font) {
    std::unique_ptr<PangoAttrList, AttrListUnref> attributes(pango_attr_list_new());
    pango_attr_list_insert(attributes.get(), pango_attr_size_new_absolute(pixels(font.size * PANGO_SCALE)));
    pango_attr_list_insert(attributes.get(), pango_attr_weight_new(font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL));
    gtk_label_set_attributes(label, attributes.get());
}

GtkTextLabel::GtkTextLabel(const std::string& text, Font font)
    : widget_(retainFloating(gtk_label_new(text.c_str()))) {
    GtkLabel* label = GTK_LABEL(widget_.get());
    gtk_label_set_single_line_mode(label, TRUE);
    gtk_label_set_selectable(label, FALSE);
    gtk_label_set_xalign(label, 0.0f);
    applyFont(label, font);
}



void GtkTextLabel::setTextColor(TextColor color) {
    GtkStyleContext* style = gtk_widget_get_style_context(widget_.get());
    gtk_style_context_remove_class(style, "dim-label");
    gtk_style_context_remove_class(style, "tavelo-tertiary");
    if (color == TextColor::secondaryLabel) {
        gtk_style_context_add_class(style, "dim-label");
    } else if (color == TextColor::tertiaryLabel) {
        gtk_style_context_add_class(style, "tavelo-tertiary");
    }
}

GtkCheckboxControl::GtkCheckboxControl(const std::string& title)
    : widget_(retainFloating(gtk_check_button_new_with_label(title.c_str()))) {
    gtk_style_context_add_class(gtk_widget_get_style_context(widget_.get()), "tavelo-compact");
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
    : widget_(retainFloating(gtk_link_button_new_with_label(title.c_str(), title.c_str()))) {
    // The owner decides what a click opens; the button only looks like a link.
    gtk_widget_set_has_tooltip(widget_.get(), FALSE);
    gtk_style_context_add_class(gtk_widget_get_style_context(widget_.get()), "tavelo-inline-link");
    gtk_widget_set_valign(widget_.get(), GTK_ALIGN_CENTER);
    if (GtkWidget* label = gtk_bin_get_child(GTK_BIN(widget_.get())); GTK_IS_LABEL(label)) {
        applyFont(GTK_LABEL(label), font);
    }
    g_signal_connect(widget_.get(), "activate-link", G_CALLBACK(&GtkLinkButtonControl::onActivateLink), this);
}

GtkLinkButtonControl::~GtkLinkButtonControl() { g_signal_handlers_disconnect_by_data(widget_.get(), this); }

gboolean GtkLinkButtonControl::onActivateLink(GtkLinkButton*, gpointer data) {
    auto* self = static_cast<GtkLinkButtonControl*>(data);
    if (self->handler_) {
        self->handler_();
    }
    return TRUE;  // handled: GTK must not open the title as an address
}

GtkStackControl::GtkStackControl(StackOrientation orientation, double spacing)
    : widget_(retainFloating(gtk_box_new(
          orientation == StackOrientation::vertical ? GTK_ORIENTATION_VERTICAL : GTK_ORIENTATION_HORIZONTAL,
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
