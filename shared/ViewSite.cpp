#include "shared/ViewSite.h"

#include <boost/url/parse.hpp>

#include <cstdlib>

#ifndef TAVELO_VIEW_SITE_ORIGIN
#error "TAVELO_VIEW_SITE_ORIGIN must be defined by the build"
#endif

namespace ViewSite {

std::string origin() {
    // Tests and side-by-side development runs serve the site on a port of their own.
    if (const char* override = std::getenv(testOriginVariable); override != nullptr && override[0] != '\0') {
        return override;
    }
    return TAVELO_VIEW_SITE_ORIGIN;
}

std::string hostName() {
    const std::string current = origin();
    const auto parsed = boost::urls::parse_uri(current);
    if (!parsed) {
        return {};
    }
    return std::string(parsed->encoded_host());
}

}  // namespace ViewSite
