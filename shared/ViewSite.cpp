#include "shared/ViewSite.h"

#include <boost/url/parse.hpp>

#ifndef TAVELO_VIEW_SITE_ORIGIN
#error "TAVELO_VIEW_SITE_ORIGIN must be defined by the build"
#endif

namespace ViewSite {

std::string origin() { return TAVELO_VIEW_SITE_ORIGIN; }

std::string hostName() {
    const auto parsed = boost::urls::parse_uri(TAVELO_VIEW_SITE_ORIGIN);
    if (!parsed) {
        return {};
    }
    return std::string(parsed->encoded_host());
}

}  // namespace ViewSite
