#pragma once

#include "platform/Alert.h"

namespace platform::gtk {

// Alerts as modal GtkMessageDialogs. The first button is the default one and sits
// where the desktop puts the affirmative answer, at the right.
class GtkAlertPresenter : public AlertPresenter {
public:
    int runModal(const Alert& alert) override;
};

}  // namespace platform::gtk
