#pragma once

#include <string>

// The origin of the site that serves the remote live views, fixed when the
// project is configured (an https origin without a trailing slash).
namespace ViewSite {

std::string origin();
// The host name alone, as shown on the website link.
std::string hostName();

}  // namespace ViewSite
