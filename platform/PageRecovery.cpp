#include "platform/PageRecovery.h"

namespace platform {

using namespace std::chrono_literals;

// A site that is down at login gets a few quick tries, then one every five minutes.
// A renderer that ended is replaced at once (well within the two seconds a user
// would call a blank wallpaper a fault), but one that keeps ending is given more
// and more time, so a page that crashes its renderer cannot make a busy loop.
PageRecovery::PageRecovery() : loadBackoff_(2s, 300s), rendererBackoff_(500ms, 300s) {}

void PageRecovery::pageRequested() {
    loadBackoff_.reset();
    retryPending_ = false;
    waitingForLoad_ = false;
}

void PageRecovery::loadSucceeded() {
    loadBackoff_.reset();
    retryPending_ = false;
    waitingForLoad_ = false;
}

PageRecovery::Delay PageRecovery::loadFailed() {
    retryPending_ = true;
    waitingForLoad_ = true;
    return loadBackoff_.next();
}

PageRecovery::Delay PageRecovery::rendererEnded(Clock::time_point now) {
    if (lastRendererEnd_ && now - *lastRendererEnd_ >= rendererSettledAfter) {
        rendererBackoff_.reset();
    }
    lastRendererEnd_ = now;
    retryPending_ = true;
    waitingForLoad_ = false;
    return rendererBackoff_.next();
}

}  // namespace platform
