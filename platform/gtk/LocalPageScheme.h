#pragma once

#include <webkit2/webkit2.h>

#include <filesystem>
#include <optional>
#include <string>

namespace platform::gtk {

// Serves local pages to a web view through a URI scheme of our own, confined to the
// one folder the page may read: a file URL cannot be confined in WebKitGTK, but a
// scheme handler can refuse every path outside that folder.
class LocalPageScheme {
public:
    static constexpr const char* scheme = "tavelo-bundle";

    // Makes the scheme available in `context` (once per context).
    static void registerIn(WebKitWebContext* context);

    // The address under which `fileURL` is served to `view`, and the folder it is
    // confined to from now on; nothing when the page does not lie in that folder.
    static std::optional<std::string> pageAddress(WebKitWebView* view, const std::string& fileURL,
                                                  const std::string& accessURL);

private:
    static void handleRequest(WebKitURISchemeRequest* request, gpointer);
};

}  // namespace platform::gtk
