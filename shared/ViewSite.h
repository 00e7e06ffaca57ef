#pragma once

#include <string>

// The origin of the site that serves the remote live views, fixed when the
// project is configured (an https origin without a trailing slash).
namespace ViewSite {

// The origin fixed at configure time, unless the test and development hook
// TAVELO_TEST_VIEW_SITE_ORIGIN names another one for this run.
std::string origin();
inline constexpr const char* testOriginVariable = "TAVELO_TEST_VIEW_SITE_ORIGIN";
// The host name alone, as shown on the website link.
std::string hostName();

}  // namespace ViewSite
