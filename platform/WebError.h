#pragma once

#include <string>

namespace platform {

// A load error as the web engine reports it.
struct WebError {
    std::string domain;
    int code = 0;
    std::string localizedDescription;
    std::string failingURL;

    // The full description: domain, code and user information.
    std::string description() const;
};

}  // namespace platform
