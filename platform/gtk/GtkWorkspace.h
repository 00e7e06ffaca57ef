#pragma once

#include "platform/Alert.h"
#include "platform/Workspace.h"

namespace platform::gtk {

// Opens addresses with the desktop's default handlers (GIO). Two addresses have
// handlers of the system's own: a ".saver" bundle goes to the screen-saver
// installer, and the Screen Saver settings address to XScreenSaver's settings tool.
class GtkWorkspace : public Workspace {
public:
    explicit GtkWorkspace(AlertPresenter& alerts) : alerts_(alerts) {}
    bool open(const std::string& url) override;

private:
    AlertPresenter& alerts_;
};

}  // namespace platform::gtk
