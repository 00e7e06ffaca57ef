#include "platform/gtk/GtkWidgetFactory.h"

#include "platform/gtk/GtkCardSurface.h"
#include "platform/gtk/GtkLayoutControls.h"
#include "platform/gtk/GtkTextControls.h"
#include "platform/gtk/GtkTitledWindow.h"

namespace platform::gtk {

void GtkWidgetFactory::installStyleSheet() {
    if (styleSheet_ || gdk_screen_get_default() == nullptr) {
        return;
    }
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

std::unique_ptr<TitledWindow> GtkWidgetFactory::makeTitledWindow() {
    installStyleSheet();
    return std::make_unique<GtkTitledWindow>();
}

std::unique_ptr<ContentView> GtkWidgetFactory::makeContentView(const Rect& frame) {
    return std::make_unique<GtkContentControl>(frame.width, frame.height);
}

std::unique_ptr<Label> GtkWidgetFactory::makeLabel(const std::string& text, Font font) {
    installStyleSheet();
    return std::make_unique<GtkTextLabel>(text, font);
}

std::unique_ptr<StackView> GtkWidgetFactory::makeStackView(StackOrientation orientation, double spacing) {
    return std::make_unique<GtkStackControl>(orientation, spacing);
}

std::unique_ptr<Widget> GtkWidgetFactory::makeSeparator() { return std::make_unique<GtkSeparatorControl>(); }

std::unique_ptr<Checkbox> GtkWidgetFactory::makeCheckbox(const std::string& title) {
    return std::make_unique<GtkCheckboxControl>(title);
}

std::unique_ptr<LinkButton> GtkWidgetFactory::makeLinkButton(const std::string& title, Font font) {
    return std::make_unique<GtkLinkButtonControl>(title, font);
}

std::unique_ptr<CardSurface> GtkWidgetFactory::makeCardSurface(const Rect& frame) {
    return std::make_unique<GtkCardSurface>(frame);
}

}  // namespace platform::gtk
