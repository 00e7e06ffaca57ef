#pragma once

#include "platform/CardSurface.h"
#include "platform/Checkbox.h"
#include "platform/ContentView.h"
#include "platform/Label.h"
#include "platform/LinkButton.h"
#include "platform/Rect.h"
#include "platform/StackView.h"
#include "platform/TitledWindow.h"

#include <memory>
#include <string>

namespace platform {

// Makes the windows and controls of the application's own user interface.
class WidgetFactory {
public:
    virtual ~WidgetFactory() = default;

    virtual std::unique_ptr<TitledWindow> makeTitledWindow() = 0;
    virtual std::unique_ptr<ContentView> makeContentView(const Rect& frame) = 0;
    virtual std::unique_ptr<Label> makeLabel(const std::string& text, Font font) = 0;
    virtual std::unique_ptr<StackView> makeStackView(StackOrientation orientation, double spacing) = 0;
    // A thin horizontal line.
    virtual std::unique_ptr<Widget> makeSeparator() = 0;
    virtual std::unique_ptr<Checkbox> makeCheckbox(const std::string& title) = 0;
    virtual std::unique_ptr<LinkButton> makeLinkButton(const std::string& title, Font font) = 0;
    virtual std::unique_ptr<CardSurface> makeCardSurface(const Rect& frame) = 0;
};

}  // namespace platform
