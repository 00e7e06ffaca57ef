#pragma once

#include "platform/WidgetFactory.h"
#include "platform/gtk/GObjectPtr.h"

#include <gtk/gtk.h>

namespace platform::gtk {

// Makes the settings window's controls on GTK, sharing one style sheet for what
// the theme lacks (the dimmest text).
class GtkWidgetFactory : public WidgetFactory {
public:
    std::unique_ptr<TitledWindow> makeTitledWindow() override;
    std::unique_ptr<ContentView> makeContentView(const Rect& frame) override;
    std::unique_ptr<Label> makeLabel(const std::string& text, Font font) override;
    std::unique_ptr<StackView> makeStackView(StackOrientation orientation, double spacing) override;
    std::unique_ptr<Widget> makeSeparator() override;
    std::unique_ptr<Checkbox> makeCheckbox(const std::string& title) override;
    std::unique_ptr<LinkButton> makeLinkButton(const std::string& title, Font font) override;
    std::unique_ptr<CardSurface> makeCardSurface(const Rect& frame) override;

private:
    void installStyleSheet();

    GObjectPtr<GtkCssProvider> styleSheet_;
};

}  // namespace platform::gtk
