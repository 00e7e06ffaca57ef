#pragma once

#include "platform/ViewSiteDiscovery.h"

#include <filesystem>

// The built-in view site's side of the system: looking for this account's site and
// starting it. Each of these blocks (on sockets, /proc and a child process) for up to a
// few seconds, so they are made off the main loop; they keep no state and log nothing,
// what they saw is told to ViewSiteDiscovery, which decides and speaks.
namespace platform {

// Where this account's site answers: the port its record names, or the preferred one (a
// site started by hand, without a record). A port is taken as this account's site only
// when the kernel's socket tables say this account listens there and it gives the
// site's identity answer: another account cannot pass the first, another program of
// this account does not pass the second. When it answers elsewhere, who holds the
// preferred port.
ViewSiteSighting lookForOwnViewSite(int preferredPort);

// Ends this account's site if it still holds its recorded port without answering
// (stopped, or out of descriptors), then starts `siteProgram` detached (so it outlives
// whichever program started it), asking for the preferred port. The site takes another
// port where that one is held and records where it serves.
ViewSiteStart startOwnViewSite(const std::filesystem::path& siteProgram, int preferredPort);

// Whether this account's site still answers at `port`.
bool ownViewSiteAnswersAt(int port);

// The view site program installed beside the running program.
std::filesystem::path viewSiteProgramBesideThisOne();

}  // namespace platform
