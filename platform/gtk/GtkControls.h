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

// A named colour of the theme (theme_fg_color, theme_bg_color, borders, ...) as the
// widget's style sees it, or `fallback` where the theme does not define it.
GdkRGBA themeColor(GtkWidget* widget, const char* name, GdkRGBA fallback);

// Whether the theme is a high-contrast one: one of GTK's HighContrast themes, or one
// whose borders stand out from its background.
bool isHighContrastTheme(GtkWidget* widget);

// The least contrast text may have in the widget's theme: 4.5:1, or 7:1 in a
// high-contrast theme.
double minimumContrastOf(GtkWidget* widget);

// The colour for text of `color` over `background`, with the theme's minimum contrast.
GdkRGBA readableTextColor(GtkWidget* widget, TextColor color, const GdkRGBA& background);

}  // namespace platform::gtk
