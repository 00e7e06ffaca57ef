#include "platform/fake/FakeSettingsWindow.h"

#include <cstdio>
#include <string>

namespace platform::fake {

FakeSettingsWindow::FakeSettingsWindow(CallRecord& record, SettingsWindowContent content, SettingsWindowEvents events)
    : content(std::move(content)),
      cards(this->content.cardCount),
      scales(this->content.cardCount, 1.0),
      launchAtLogin(this->content.launchAtLogin),
      record_(record),
      events_(std::move(events)) {
    record_.add("settingsWindow.create");
}

void FakeSettingsWindow::showCard(std::size_t card, const CardFace& face) {
    char border[32];
    std::snprintf(border, sizeof border, "%g", face.borderWidth);
    record_.add("settingsWindow.showCard " + std::to_string(card) + " border " + border);
    cards.at(card) = face;
}

void FakeSettingsWindow::scaleCard(std::size_t card, double factor, double seconds) {
    char text[64];
    std::snprintf(text, sizeof text, " %g over %g", factor, seconds);
    record_.add("settingsWindow.scaleCard " + std::to_string(card) + text);
    scales.at(card) = factor;
}

void FakeSettingsWindow::setLaunchAtLogin(bool on) {
    record_.add(std::string("settingsWindow.setLaunchAtLogin ") + (on ? "on" : "off"));
    launchAtLogin = on;
}

void FakeSettingsWindow::makeKeyAndOrderFront() {
    record_.add("settingsWindow.makeKeyAndOrderFront");
    visible = true;
}

void FakeSettingsWindow::orderOut() {
    record_.add("settingsWindow.orderOut");
    visible = false;
}

void FakeSettingsWindow::clickCheckbox() {
    launchAtLogin = !launchAtLogin;
    events_.launchToggled(launchAtLogin);
}

std::vector<bool> FakeSettingsWindow::marks() const {
    std::vector<bool> marked;
    for (const auto& card : cards) {
        marked.push_back(card.borderWidth > 0);
    }
    return marked;
}

}  // namespace platform::fake
