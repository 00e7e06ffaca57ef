#pragma once

#include "platform/SettingsWindow.h"
#include "platform/fake/CallRecord.h"

#include <vector>

namespace platform::fake {

// The settings window for tests: keeps what each card shows and how far it is
// scaled, records the calls that change what the user sees, and plays the user.
class FakeSettingsWindow : public SettingsWindow {
public:
    FakeSettingsWindow(CallRecord& record, SettingsWindowContent content, SettingsWindowEvents events);

    void showCard(std::size_t card, const CardFace& face) override;
    void scaleCard(std::size_t card, double factor, double seconds) override;
    void setLaunchAtLogin(bool on) override;
    void makeKeyAndOrderFront() override;
    void orderOut() override;

    // The user: a click flips the checkbox first, then reports it.
    void clickCard(std::size_t card) { events_.cardClicked(card); }
    void pointerCrosses(std::size_t card, bool entered) { events_.pointerCrossedCard(card, entered); }
    void clickCheckbox();
    void clickLink() { events_.linkClicked(); }

    // Which cards carry a border.
    std::vector<bool> marks() const;

    const SettingsWindowContent content;
    std::vector<CardFace> cards;
    std::vector<double> scales;
    bool launchAtLogin;
    bool visible = false;

private:
    CallRecord& record_;
    SettingsWindowEvents events_;
};

}  // namespace platform::fake
