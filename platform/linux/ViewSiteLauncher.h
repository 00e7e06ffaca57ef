#pragma once

#include <filesystem>
#include <string>

namespace platform {

enum class ViewSiteState {
    elsewhere,      // the origin is not a loopback one: a deployed site serves it
    serving,        // our view site answers on it
    started,        // it did not answer, so it was started and now does
    starting,       // it did not answer, so it was started; not waited for
    heldByAnother,  // another program answers on its port
    failedToStart,
};

// The built-in view site: for a loopback origin (http://127.0.0.1:PORT), makes sure
// the Tavelo view site answers there, starting `siteProgram` detached (so it outlives
// whichever program started it) when nothing does. Another program on the port is
// logged once per process, with one clear line, and never started over. A site this
// process started moments ago and that has not answered yet is waited for, not started
// a second time.
enum class WaitForSite { no, yes };
ViewSiteState ensureViewSiteServing(const std::string& origin, const std::filesystem::path& siteProgram,
                                    WaitForSite wait = WaitForSite::yes);

// Remembers `origin` as the one the built-in view site serves for this process and
// starts the site program beside the running one when nothing answers there, without
// waiting for it: start-up goes on, and the first page of the site waits for it in
// ensureViewSiteFor.
ViewSiteState startBuiltInViewSite(const std::string& origin);

// Before a page or link of the built-in site is opened: the site ends itself after a
// long idle time, so it is started again if it is gone. Other addresses pass by.
void ensureViewSiteFor(const std::string& url);

// The view site program installed beside the running program.
std::filesystem::path viewSiteProgramBesideThisOne();

// The port of a loopback http origin, or 0 for any other origin.
int loopbackPort(const std::string& origin);

}  // namespace platform
