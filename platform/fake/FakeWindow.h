#pragma once

#include "platform/Window.h"
#include "platform/fake/CallRecord.h"

#include <functional>
#include <string>

namespace platform::fake {

class FakeWindow : public Window {
public:
    FakeWindow(CallRecord& record, std::string name) : record_(record), name_(std::move(name)) {}

    void setLevel(WindowLevel level) override;
    void setBackgroundColor(Color color) override;
    void setCollectionBehavior(std::uint32_t behavior) override;
    void setIgnoresMouseEvents(bool ignores) override;
    bool hasContentView() const override { return hasContentView_; }
    void addSubview(WebView& view) override;
    void makeKeyAndOrderFront() override;
    void orderFrontRegardless() override;
    void orderOut() override;
    void onHiddenByIconDesktop(std::function<void(const IconDesktopSighting&)> hidden) override;
    bool isVisible() const { return visible_; }

    bool hasContentView_ = true;
    // An icon program's desktop is seen over the window, as the desktop would tell.
    void hideByIconDesktop(const IconDesktopSighting& sighting);

    // Runs each time the window is ordered in, to look at the world at that moment.
    std::function<void()> onOrderIn;

private:
    void orderIn(const char* how);

    CallRecord& record_;
    std::string name_;
    bool visible_ = false;
    std::function<void(const IconDesktopSighting&)> hiddenByIconDesktop_;
};

}  // namespace platform::fake
