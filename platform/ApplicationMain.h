#pragma once

#include "platform/Application.h"

#include <functional>
#include <memory>
#include <string>

namespace platform {

class Platform;

using DelegateFactory = std::function<std::unique_ptr<ApplicationDelegate>(Platform&)>;

// Runs the application: connects to the desktop, makes sure only one instance
// shows a wallpaper, starts looking for (or starting) the built-in view site of
// `viewSiteOrigin` when it is a loopback one, creates the delegate, tells it that
// launching finished once the main loop runs, and returns the process's exit status.
int applicationMain(int argc, char** argv, const std::string& viewSiteOrigin, const DelegateFactory& makeDelegate);

}  // namespace platform
