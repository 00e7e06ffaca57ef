#pragma once

#include "platform/WidgetFactory.h"
#include "platform/fake/CallRecord.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform::fake {

// Every fake widget has a name ("card0", "label1", ...) that prefixes its calls in
// the record, and keeps what was set on it for tests to read.
class FakeWidget {
public:
    FakeWidget(CallRecord& record, std::string name) : record_(record), name_(std::move(name)) {}
    const std::string& name() const { return name_; }

protected:
    void add(const std::string& call) { record_.add(name_ + "." + call); }
    CallRecord& record_;

private:
    std::string name_;
};

class FakeLabel : public Label, public FakeWidget {
public:
    FakeLabel(CallRecord& record, std::string name, std::string text, Font font);
    std::string text() const { return text_; }
    void setTextColor(TextColor color) override;

    Font font;
    std::optional<TextColor> color;

private:
    std::string text_;
};

class FakeCheckbox : public Checkbox, public FakeWidget {
public:
    FakeCheckbox(CallRecord& record, std::string name, std::string title);
    void setState(bool on) override;
    bool state() const override { return on_; }
    void setOnToggle(ToggleHandler handler) override { handler_ = std::move(handler); }

    // The user's click: the state flips, then the handler runs.
    void click();
    std::string title;

private:
    bool on_ = false;
    ToggleHandler handler_;
};

class FakeLinkButton : public LinkButton, public FakeWidget {
public:
    FakeLinkButton(CallRecord& record, std::string name, std::string title, Font font);
    void setOnClick(std::function<void()> handler) override { handler_ = std::move(handler); }
    void click();

    std::string title;
    Font font;

private:
    std::function<void()> handler_;
};

class FakeStackView : public StackView, public FakeWidget {
public:
    FakeStackView(CallRecord& record, std::string name) : FakeWidget(record, std::move(name)) {}
    void addArrangedSubview(Widget& widget) override;
    std::vector<Widget*> arranged;
};

class FakeSeparator : public Widget, public FakeWidget {
public:
    using FakeWidget::FakeWidget;
};

class FakeContentView : public ContentView, public FakeWidget {
public:
    FakeContentView(CallRecord& record, std::string name) : FakeWidget(record, std::move(name)) {}
    void addBelowPrevious(Widget& widget, double gap, HorizontalPlacement placement) override;
    void pinToBottom(Widget& widget, double gap, HorizontalPlacement placement) override;

    struct Placed {
        Widget* widget;
        double gap;
        HorizontalPlacement placement;
        bool atBottom;
    };
    std::vector<Placed> placed;
};

class FakeCardSurface : public CardSurface, public FakeWidget {
public:
    FakeCardSurface(CallRecord& record, std::string name, Rect frame);
    void applyStyle(const CardStyle& style) override;
    void fixSize(double width, double height) override;
    void setTitle(const std::string& text) override;
    void setDescription(const std::string& text) override;
    void setPreviewImage(const std::optional<std::filesystem::path>& file) override;
    void setOverlayHidden(bool hidden) override;
    void setBorder(double width, BorderColor color) override;
    void setFrames(const CardFrames& frames) override;
    void animateScale(double factor, double seconds) override;
    void setOnLayout(std::function<void(double, double)> handler) override { onLayout_ = std::move(handler); }
    void setOnPointerEntered(std::function<void()> handler) override { onEntered_ = std::move(handler); }
    void setOnPointerExited(std::function<void()> handler) override { onExited_ = std::move(handler); }
    void setOnClick(std::function<void()> handler) override { onClick_ = std::move(handler); }

    // The desktop's side: a layout pass at a size, the pointer, a click.
    void layOutAt(double width, double height);
    void pointerEnters();
    void pointerExits();
    void click();

    Rect frame;
    std::optional<CardStyle> style;
    std::string title;
    std::string description;
    std::optional<std::filesystem::path> image;
    bool overlayHidden = false;  // a new card shows its overlay until configured
    double borderWidth = 0;
    BorderColor borderColor = BorderColor::clear;
    std::optional<CardFrames> frames;
    double scale = 1.0;

private:
    std::function<void(double, double)> onLayout_;
    std::function<void()> onEntered_;
    std::function<void()> onExited_;
    std::function<void()> onClick_;
};

class FakeTitledWindow : public TitledWindow, public FakeWidget {
public:
    FakeTitledWindow(CallRecord& record, std::string name) : FakeWidget(record, std::move(name)) {}
    void setContentView(ContentView& content) override;
    void setTitle(std::string_view title) override;
    void setStyleMask(std::uint32_t style) override;
    void setContentSize(double width, double height) override;
    void setReleasedWhenClosed(bool released) override;
    void center() override;
    void makeKeyAndOrderFront() override;
    void orderOut() override;
    bool isVisible() const { return visible_; }

    std::string title;
    ContentView* content = nullptr;

private:
    bool visible_ = false;
};

// Makes recording widgets and remembers them, in order of creation.
class FakeWidgetFactory : public WidgetFactory {
public:
    explicit FakeWidgetFactory(CallRecord& record) : record_(record) {}

    std::unique_ptr<TitledWindow> makeTitledWindow() override;
    std::unique_ptr<ContentView> makeContentView(const Rect& frame) override;
    std::unique_ptr<Label> makeLabel(const std::string& text, Font font) override;
    std::unique_ptr<StackView> makeStackView(StackOrientation orientation, double spacing) override;
    std::unique_ptr<Widget> makeSeparator() override;
    std::unique_ptr<Checkbox> makeCheckbox(const std::string& title) override;
    std::unique_ptr<LinkButton> makeLinkButton(const std::string& title, Font font) override;
    std::unique_ptr<CardSurface> makeCardSurface(const Rect& frame) override;

    std::vector<FakeTitledWindow*> titledWindows;
    std::vector<FakeContentView*> contentViews;
    std::vector<FakeLabel*> labels;
    std::vector<FakeStackView*> stacks;
    std::vector<FakeCheckbox*> checkboxes;
    std::vector<FakeLinkButton*> linkButtons;
    std::vector<FakeCardSurface*> cards;

private:
    CallRecord& record_;
    int separators_ = 0;
};

// "{x,y,w,h}" as the record writes rectangles.
std::string describeRect(const Rect& rect);

}  // namespace platform::fake
