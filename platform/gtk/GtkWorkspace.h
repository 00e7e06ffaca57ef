#pragma once

#include "platform/Alert.h"
#include "platform/Workspace.h"
#include "platform/gtk/OwnViewSite.h"
#include "platform/gtk/WebEngineTuning.h"

#include <memory>

namespace platform::gtk {

// Opens addresses with the desktop's default handlers (GIO). Two addresses have
// handlers of the system's own: a ".saver" bundle goes to the screen-saver
// installer, and the Screen Saver settings address to XScreenSaver's settings tool.
class GtkWorkspace : public Workspace {
public:
    GtkWorkspace(AlertPresenter& alerts, const WebEngineTuning& engine) : alerts_(alerts), engine_(engine) {}
    bool open(const std::string& url) override;

private:
    AlertPresenter& alerts_;
    const WebEngineTuning& engine_;
    // The link last opened, while this account's site is looked for.
    std::unique_ptr<OwnViewSite::Request> linkRequest_;
};

}  // namespace platform::gtk
