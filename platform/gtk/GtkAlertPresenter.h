#pragma once

#include "platform/Alert.h"

#include <vector>

namespace platform::gtk {

// Alerts as modal GtkMessageDialogs. The first button is the default one and sits
// where the desktop puts the affirmative answer, at the right.
class GtkAlertPresenter : public AlertPresenter {
public:
    int runModal(const Alert& alert) override;

    // The application is ending: the alerts on screen close unanswered (a modal
    // loop would otherwise hold the quit back), and later ones are not shown.
    void dismissAll();

private:
    std::vector<void*> running_;  // the dialogs on screen, innermost last
    bool dismissed_ = false;
};

}  // namespace platform::gtk
