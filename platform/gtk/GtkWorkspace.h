#pragma once

#include "platform/Workspace.h"

namespace platform::gtk {

// Opens addresses with the desktop's default handlers (GIO).
class GtkWorkspace : public Workspace {
public:
    bool open(const std::string& url) override;
};

}  // namespace platform::gtk
