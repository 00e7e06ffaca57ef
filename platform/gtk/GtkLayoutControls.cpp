#include "platform/gtk/GtkLayoutControls.h"

#include <cmath>

namespace platform::gtk {

namespace {

int pixels(double value) { return static_cast<int>(std::lround(value)); }

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
    pack(widget, gap, placement, VerticalEnd::top);
}

void GtkContentControl::pinToBottom(Widget& widget, double gap, HorizontalPlacement placement) {
    pack(widget, gap, placement, VerticalEnd::bottom);
}

void GtkContentControl::pack(Widget& widget, double gap, HorizontalPlacement placement, VerticalEnd end) {
    // Stacked from the top, or from the bottom up: the gap separates the child from
    // what is already stacked at that end.
    GtkWidget* child = gtkWidgetOf(widget);
    placeAcross(child, placement);
    if (end == VerticalEnd::top) {
        gtk_widget_set_margin_top(child, pixels(gap));
        gtk_box_pack_start(GTK_BOX(widget_.get()), child, FALSE, FALSE, 0);
    } else {
        gtk_widget_set_margin_bottom(child, pixels(gap));
        gtk_box_pack_end(GTK_BOX(widget_.get()), child, FALSE, FALSE, 0);
    }
    gtk_widget_show(child);
}

}  // namespace platform::gtk
