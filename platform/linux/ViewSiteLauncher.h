#pragma once

#include <filesystem>
#include <string>

namespace platform {

enum class ViewSiteState {
    elsewhere,  // the origin is not a loopback one: a deployed site serves it
    serving,    // this account's view site answers
    started,    // it did not answer, so it was started and now does
    starting,   // it did not answer, so it was started; not waited for
    failedToStart,
};

// The built-in view site: for a loopback origin (http://127.0.0.1:PORT), makes sure
// this account's own Tavelo view site serves, starting `siteProgram` detached (so it
// outlives whichever program started it) when none does. PORT is only the address it
// prefers: where another account or program holds it, the site serves on a port the
// kernel picks and records that port in the account's runtime folder, where the
// application and the screen-saver host both find it. A port is taken as this
// account's site only when the kernel's socket tables say this account listens there
// and it gives the site's identity answer; one line says once when another account
// or program holds the preferred address. A site this process started moments ago and
// that has not answered yet is waited for, not started a second time.
enum class WaitForSite { no, yes };
ViewSiteState ensureViewSiteServing(const std::string& origin, const std::filesystem::path& siteProgram,
                                    WaitForSite wait = WaitForSite::yes);

// Remembers `origin` as the one the built-in view site serves for this process and
// starts the site program beside the running one when nothing answers there, without
// waiting for it: start-up goes on, and the first page of the site waits for it in
// addressOnOwnViewSite.
ViewSiteState startBuiltInViewSite(const std::string& origin);

// Before a page or link of the built-in site is opened: the site ends itself after a
// long idle time, so it is started again if it is gone, and the address is moved to
// the port this account's site serves on. Other addresses come back unchanged.
std::string addressOnOwnViewSite(const std::string& url);

// Whether the site a page at `url` was moved to still answers; true for any page not of
// the built-in site. A page whose site went silent is loaded again, which replaces
// the site (addressOnOwnViewSite ends a silent site of this account and starts another).
bool ownViewSiteAnswersFor(const std::string& url);

// The view site program installed beside the running program.
std::filesystem::path viewSiteProgramBesideThisOne();

// The port of a loopback http origin, or 0 for any other origin.
int loopbackPort(const std::string& origin);

// `url` with the origin `from` replaced by `to`, when it starts with it (a whole origin:
// the next character, if any, is '/', '?' or '#').
std::string withOrigin(const std::string& url, const std::string& from, const std::string& to);

}  // namespace platform
