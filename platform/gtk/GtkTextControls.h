#pragma once

#include "platform/Checkbox.h"
#include "platform/Label.h"
#include "platform/LinkButton.h"
#include "platform/gtk/GObjectPtr.h"
#include "platform/gtk/GtkWidgetHolder.h"

#include <functional>
#include <string>

namespace platform::gtk {

// The settings window's controls that show text, on stock GTK widgets so that they
// follow the desktop theme. Each keeps its own reference to its widget.

class GtkTextLabel : public Label, public GtkWidgetHolder {
public:
    GtkTextLabel(const std::string& text, Font font);
    void setTextColor(TextColor color) override;
    GtkWidget* gtkWidget() const override { return widget_.get(); }
    ~GtkTextLabel() override;

private:
    static void onStyleUpdated(GtkWidget* widget, gpointer self);
    void applyAttributes();

    GObjectPtr<GtkWidget> widget_;
    Font font_;
    TextColor color_ = TextColor::label;
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
    static void onLabelStyleUpdated(GtkWidget* label, gpointer self);
    void applyLabelAttributes();

    GObjectPtr<GtkWidget> widget_;
    Font font_;
    std::function<void()> handler_;
};

}  // namespace platform::gtk
