#pragma once

#include "platform/Application.h"

#include <functional>
#include <memory>

namespace platform {

class Platform;

using DelegateFactory = std::function<std::unique_ptr<ApplicationDelegate>(Platform&)>;

// Runs the application: connects to the desktop, makes sure only one instance
// shows a wallpaper, creates the delegate, tells it that launching finished once
// the main loop runs, and returns the process's exit status.
int applicationMain(int argc, char** argv, const DelegateFactory& makeDelegate);

}  // namespace platform
