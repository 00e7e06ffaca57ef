#include "platform/fake/FakeWidgets.h"

#include <cstdio>

namespace platform::fake {

namespace {

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string describeFont(const Font& font) { return number(font.size) + (font.bold ? " bold" : ""); }

const char* describeColor(TextColor color) {
    switch (color) {
    case TextColor::label: return "label";
    case TextColor::secondaryLabel: return "secondaryLabel";
    case TextColor::tertiaryLabel: return "tertiaryLabel";
    }
    return "?";
}

std::string describePlacement(const HorizontalPlacement& placement) {
    switch (placement.kind) {
    case HorizontalPlacement::Kind::leading: return "leading " + number(placement.inset);
    case HorizontalPlacement::Kind::centered: return "centered";
    case HorizontalPlacement::Kind::stretched: return "stretched " + number(placement.inset);
    }
    return "?";
}

// The record names a placed widget by its fake name.
std::string nameOf(Widget& widget) {
    if (auto* fake = dynamic_cast<FakeWidget*>(&widget)) {
        return fake->name();
    }
    return "?";
}

}  // namespace

std::string describeRect(const Rect& r) {
    return "{" + number(r.x) + "," + number(r.y) + "," + number(r.width) + "," + number(r.height) + "}";
}

FakeLabel::FakeLabel(CallRecord& record, std::string name, std::string text, Font font)
    : FakeWidget(record, std::move(name)), font(font), text_(std::move(text)) {}

void FakeLabel::setTextColor(TextColor value) {
    add(std::string("setTextColor ") + describeColor(value));
    color = value;
}

FakeCheckbox::FakeCheckbox(CallRecord& record, std::string name, std::string title)
    : FakeWidget(record, std::move(name)), title(std::move(title)) {}

void FakeCheckbox::setState(bool on) {
    add(std::string("setState ") + (on ? "on" : "off"));
    on_ = on;
}

void FakeCheckbox::click() {
    add("click");
    on_ = !on_;
    if (handler_) {
        handler_(*this);
    }
}

FakeLinkButton::FakeLinkButton(CallRecord& record, std::string name, std::string title, Font font)
    : FakeWidget(record, std::move(name)), title(std::move(title)), font(font) {}

void FakeLinkButton::click() {
    add("click");
    if (handler_) {
        handler_();
    }
}

void FakeStackView::addArrangedSubview(Widget& widget) {
    add("addArrangedSubview " + nameOf(widget));
    arranged.push_back(&widget);
}

void FakeContentView::addBelowPrevious(Widget& widget, double gap, HorizontalPlacement placement) {
    add("addBelowPrevious " + nameOf(widget) + " " + number(gap) + " " + describePlacement(placement));
    placed.push_back({&widget, gap, placement, false});
}

void FakeContentView::pinToBottom(Widget& widget, double gap, HorizontalPlacement placement) {
    add("pinToBottom " + nameOf(widget) + " " + number(gap) + " " + describePlacement(placement));
    placed.push_back({&widget, gap, placement, true});
}

FakeCardSurface::FakeCardSurface(CallRecord& record, std::string name, Rect frame)
    : FakeWidget(record, std::move(name)), frame(frame) {}

void FakeCardSurface::applyStyle(const CardStyle& value) {
    add("applyStyle");
    style = value;
}

void FakeCardSurface::fixSize(double width, double height) {
    add("fixSize " + number(width) + "x" + number(height));
    frame.width = width;
    frame.height = height;
}

void FakeCardSurface::setTitle(const std::string& text) {
    add("setTitle " + text);
    title = text;
}

void FakeCardSurface::setDescription(const std::string& text) {
    add("setDescription " + text);
    description = text;
}

void FakeCardSurface::setPreviewImage(const std::optional<std::filesystem::path>& file) {
    add("setPreviewImage " + (file ? file->filename().string() : std::string("none")));
    image = file;
}

void FakeCardSurface::setOverlayHidden(bool hidden) {
    add(std::string("setOverlayHidden ") + (hidden ? "true" : "false"));
    overlayHidden = hidden;
}

void FakeCardSurface::setBorder(double width, BorderColor color) {
    add("setBorder " + number(width) + (color == BorderColor::accent ? " accent" : " clear"));
    borderWidth = width;
    borderColor = color;
}

void FakeCardSurface::setFrames(const CardFrames& value) {
    add("setFrames preview " + describeRect(value.preview) + " title " + describeRect(value.title) + " description " +
        describeRect(value.description) + " glyph " + describeRect(value.glyph));
    frames = value;
}

void FakeCardSurface::animateScale(double factor, double seconds) {
    add("animateScale " + number(factor) + " over " + number(seconds));
    scale = factor;
}

void FakeCardSurface::layOutAt(double width, double height) {
    if (onLayout_) {
        onLayout_(width, height);
    }
}

void FakeCardSurface::pointerEnters() {
    if (onEntered_) {
        onEntered_();
    }
}

void FakeCardSurface::pointerExits() {
    if (onExited_) {
        onExited_();
    }
}

void FakeCardSurface::click() {
    add("click");
    if (onClick_) {
        onClick_();
    }
}

void FakeTitledWindow::setContentView(ContentView& value) {
    add("setContentView " + nameOf(value));
    content = &value;
}

void FakeTitledWindow::setTitle(std::string_view value) {
    title = value;
    add("setTitle " + title);
}

void FakeTitledWindow::setStyleMask(std::uint32_t style) { add("setStyleMask " + std::to_string(style)); }

void FakeTitledWindow::setContentSize(double width, double height) {
    add("setContentSize " + number(width) + "x" + number(height));
}

void FakeTitledWindow::setReleasedWhenClosed(bool released) {
    add(std::string("setReleasedWhenClosed ") + (released ? "true" : "false"));
}

void FakeTitledWindow::center() { add("center"); }

void FakeTitledWindow::makeKeyAndOrderFront() {
    add("makeKeyAndOrderFront");
    visible_ = true;
}

void FakeTitledWindow::orderOut() {
    add("orderOut");
    visible_ = false;
}

std::unique_ptr<TitledWindow> FakeWidgetFactory::makeTitledWindow() {
    auto window = std::make_unique<FakeTitledWindow>(record_, "titledWindow" + std::to_string(titledWindows.size()));
    record_.add(window->name() + ".create");
    titledWindows.push_back(window.get());
    return window;
}

std::unique_ptr<ContentView> FakeWidgetFactory::makeContentView(const Rect& frame) {
    auto view = std::make_unique<FakeContentView>(record_, "content" + std::to_string(contentViews.size()));
    record_.add(view->name() + ".create " + describeRect(frame));
    contentViews.push_back(view.get());
    return view;
}

std::unique_ptr<Label> FakeWidgetFactory::makeLabel(const std::string& text, Font font) {
    auto label = std::make_unique<FakeLabel>(record_, "label" + std::to_string(labels.size()), text, font);
    record_.add(label->name() + ".create \"" + text + "\" " + describeFont(font));
    labels.push_back(label.get());
    return label;
}

std::unique_ptr<StackView> FakeWidgetFactory::makeStackView(StackOrientation orientation, double spacing) {
    auto stack = std::make_unique<FakeStackView>(record_, "stack" + std::to_string(stacks.size()));
    record_.add(stack->name() + ".create " + (orientation == StackOrientation::vertical ? "vertical " : "horizontal ") +
                number(spacing));
    stacks.push_back(stack.get());
    return stack;
}

std::unique_ptr<Widget> FakeWidgetFactory::makeSeparator() {
    auto separator = std::make_unique<FakeSeparator>(record_, "separator" + std::to_string(separators_++));
    record_.add(separator->name() + ".create");
    return separator;
}

std::unique_ptr<Checkbox> FakeWidgetFactory::makeCheckbox(const std::string& title) {
    auto checkbox = std::make_unique<FakeCheckbox>(record_, "checkbox" + std::to_string(checkboxes.size()), title);
    record_.add(checkbox->name() + ".create \"" + title + "\"");
    checkboxes.push_back(checkbox.get());
    return checkbox;
}

std::unique_ptr<LinkButton> FakeWidgetFactory::makeLinkButton(const std::string& title, Font font) {
    auto button =
        std::make_unique<FakeLinkButton>(record_, "linkButton" + std::to_string(linkButtons.size()), title, font);
    record_.add(button->name() + ".create \"" + title + "\" " + describeFont(font));
    linkButtons.push_back(button.get());
    return button;
}

std::unique_ptr<CardSurface> FakeWidgetFactory::makeCardSurface(const Rect& frame) {
    auto card = std::make_unique<FakeCardSurface>(record_, "card" + std::to_string(cards.size()), frame);
    record_.add(card->name() + ".create " + describeRect(frame));
    cards.push_back(card.get());
    return card;
}

}  // namespace platform::fake
