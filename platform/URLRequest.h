#pragma once

#include <string>

namespace platform {

enum class CachePolicy {
    useProtocolCachePolicy = 0,  // the ordinary HTTP caching rules
};

// A ready-made request for a web view: the page URL, its cache policy and how long
// the load may take before it is given up.
struct URLRequest {
    std::string url;
    CachePolicy cachePolicy = CachePolicy::useProtocolCachePolicy;
    double timeoutInterval = 60.0;

    friend bool operator==(const URLRequest&, const URLRequest&) = default;
};

}  // namespace platform
