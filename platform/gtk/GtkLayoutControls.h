#pragma once

#include "platform/ContentView.h"
#include "platform/StackView.h"
#include "platform/gtk/GObjectPtr.h"
#include "platform/gtk/GtkWidgetHolder.h"

namespace platform::gtk {

// The settings window's layout: boxes that stack and place the controls, and the
// line between groups. Each keeps its own reference to its widget.

class GtkStackControl : public StackView, public GtkWidgetHolder {
public:
    GtkStackControl(StackOrientation orientation, double spacing);
    void addArrangedSubview(Widget& widget) override;
    GtkWidget* gtkWidget() const override { return widget_.get(); }

private:
    GObjectPtr<GtkWidget> widget_;
    StackOrientation orientation_;
};

class GtkSeparatorControl : public Widget, public GtkWidgetHolder {
public:
    GtkSeparatorControl();
    GtkWidget* gtkWidget() const override { return widget_.get(); }

private:
    GObjectPtr<GtkWidget> widget_;
};

class GtkContentControl : public ContentView, public GtkWidgetHolder {
public:
    GtkContentControl(double width, double height);
    void addBelowPrevious(Widget& widget, double gap, HorizontalPlacement placement) override;
    void pinToBottom(Widget& widget, double gap, HorizontalPlacement placement) override;
    GtkWidget* gtkWidget() const override { return widget_.get(); }

private:
    enum class VerticalEnd { top, bottom };
    void pack(Widget& widget, double gap, HorizontalPlacement placement, VerticalEnd end);

    GObjectPtr<GtkWidget> widget_;
};

}  // namespace platform::gtk
