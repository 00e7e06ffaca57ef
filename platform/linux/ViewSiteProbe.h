#pragma once

#include <chrono>
#include <string>

namespace platform {

// Who answers on a loopback port: nobody, the Tavelo view site, or another program.
enum class PortHolder { nobody, ourSite, anotherProgram };

// Asks 127.0.0.1:port for the view site's identity answer, within `timeout`.
PortHolder probeViewSitePort(int port, std::chrono::milliseconds timeout = std::chrono::milliseconds(1500));

// Whether an HTTP answer (status line, headers, body) is the view site's identity.
bool isViewSiteIdentity(const std::string& answer);

}  // namespace platform
