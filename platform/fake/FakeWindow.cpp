#include "platform/fake/FakeWindow.h"

#include <sstream>

namespace platform::fake {

void FakeWindow::setLevel(WindowLevel level) {
    record_.add(name_ + ".setLevel " + (level == WindowLevel::desktop ? "desktop" : "normal"));
}

void FakeWindow::setBackgroundColor(Color color) {
    record_.add(name_ + ".setBackgroundColor " + (color == Color::black ? "black" : "clear"));
}

void FakeWindow::setCollectionBehavior(std::uint32_t behavior) {
    std::ostringstream text;
    text << name_ << ".setCollectionBehavior 0x" << std::hex << behavior;
    record_.add(text.str());
}

void FakeWindow::setIgnoresMouseEvents(bool ignores) {
    record_.add(name_ + ".setIgnoresMouseEvents " + (ignores ? "true" : "false"));
}

void FakeWindow::onHiddenByIconDesktop(std::function<void(const IconDesktopSighting&)> hidden) {
    record_.add(name_ + ".onHiddenByIconDesktop");
    hiddenByIconDesktop_ = std::move(hidden);
}

void FakeWindow::hideByIconDesktop(const IconDesktopSighting& sighting) {
    record_.add(name_ + ".hiddenByIconDesktop " + sighting.windowClass);
    if (hiddenByIconDesktop_) {
        hiddenByIconDesktop_(sighting);
    }
}

void FakeWindow::addSubview(WebView&) { record_.add(name_ + ".addSubview webView"); }

void FakeWindow::makeKeyAndOrderFront() { orderIn("makeKeyAndOrderFront"); }

void FakeWindow::orderFrontRegardless() { orderIn("orderFrontRegardless"); }

void FakeWindow::orderIn(const char* how) {
    record_.add(name_ + "." + how);
    visible_ = true;
    if (onOrderIn) {
        onOrderIn();
    }
}

void FakeWindow::orderOut() {
    record_.add(name_ + ".orderOut");
    visible_ = false;
}

}  // namespace platform::fake
