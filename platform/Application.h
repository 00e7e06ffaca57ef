#pragma once

namespace platform {

// What the application object does for its delegate.
class Application {
public:
    virtual ~Application() = default;
    // Ends the run loop; the delegate is told before the process exits with `status`.
    virtual void terminate(int status = 0) = 0;
    // Makes this application the active one, in front of whatever was active.
    virtual void activateIgnoringOtherApps() = 0;
};

// Receives the application's launch and termination.
class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;
    virtual void applicationDidFinishLaunching() = 0;
    virtual void applicationWillTerminate() = 0;
    // The user launched the application again while it runs.
    virtual void applicationShouldHandleReopen() {}
};

}  // namespace platform
