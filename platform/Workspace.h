#pragma once

#include <string>

namespace platform {

// The desktop's handlers for documents and addresses.
class Workspace {
public:
    virtual ~Workspace() = default;
    // Opens `url` with the user's default handler for its scheme (a web address in
    // the browser). Returns whether a handler took it.
    virtual bool open(const std::string& url) = 0;
};

}  // namespace platform
