#pragma once

#include "platform/Checkbox.h"
#include "platform/ContentView.h"
#include "platform/Label.h"
#include "platform/LinkButton.h"
#include "platform/StackView.h"
#include "platform/gtk/GObjectPtr.h"
#include "platform/gtk/GtkWidgetHolder.h"

#include <functional>

namespace platform::gtk {

// The plain controls of the settings window, on stock GTK widgets so that they
// follow the desktop theme. Each keeps its own reference to its widget.

class GtkTextLabel : public Label, public GtkWidgetHolder {
public:
    GtkTextLabel(const std::string& text, Font font);
    void setTextColor(TextColor color) override;
    GtkWidget* gtkWidget() const override { return widget_.get(); }

private:
    GObjectPtr<GtkWidget> widget_;
};

class GtkCheckboxControl : public Checkbox, public GtkWidgetHolder {
public:
    explicit GtkCheckboxControl(const std::string& title);
    ~GtkCheckboxControl() override;
    void setState(bool on) override;
    bool state() const override;
    void setOnToggle(ToggleHandler handler) override { handler_ = std::move(handler); }
    GtkWidget* gtkWidget() const override { return widget_.get(); }

private:
    static void onToggled(GtkToggleButton* button, gpointer self);

    GObjectPtr<GtkWidget> widget_;
    ToggleHandler handler_;
    bool settingFromCode_ = false;
};

class GtkLinkButtonControl : public LinkButton, public GtkWidgetHolder {
public:
    GtkLinkButtonControl(const std::string& title, Font font);
    ~GtkLinkButtonControl() override;
    void setOnClick(std::function<void()> handler) override { handler_ = std::move(handler); }
    GtkWidget* gtkWidget() const override { return widget_.get(); }

private:
    static gboolean onActivateLink(GtkLinkButton* button, gpointer self);

    GObjectPtr<GtkWidget> widget_;
    std::function<void()> handler_;
};

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
    GObjectPtr<GtkWidget> widget_;
};

// Sets the font of a label's text: `font.size` logical pixels, bold or regular,
// in the theme's font family.
void applyFont(GtkLabel* label, Font font);

}  // namespace platform::gtk
