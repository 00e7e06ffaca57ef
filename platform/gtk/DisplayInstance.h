#pragma once

#include "platform/linux/SingleInstanceLock.h"

#include <gtk/gtk.h>

#include <memory>
#include <string>

namespace platform::gtk {

// The claim one running instance holds on a display server, whatever the spelling
// of DISPLAY that reached it (":0", ":0.0" and "unix:0" are one server).
// On X11 it is a manager selection owned by a window of this process: the server
// itself arbitrates, and the claim ends with the connection, however the process
// ends. On Wayland it is a lock keyed on the compositor socket's resolved path.
class DisplayInstance {
public:
    explicit DisplayInstance(GdkDisplay* display);
    ~DisplayInstance();
    DisplayInstance(const DisplayInstance&) = delete;
    DisplayInstance& operator=(const DisplayInstance&) = delete;

    bool acquired() const { return acquired_; }
    // Where the instance that holds the claim hears a second launch: this
    // instance's own socket when it holds it, the running one's otherwise (empty
    // when that one cannot be told).
    const std::string& reopenSocketPath() const { return reopenSocket_; }

private:
    void claimX11Selection(GdkDisplay* display);
    void claimWaylandSocket();

    std::unique_ptr<SingleInstanceLock> lock_;
    void* xdisplay_ = nullptr;
    unsigned long window_ = 0;
    bool acquired_ = false;
    std::string reopenSocket_;
};

}  // namespace platform::gtk
