#include "shared/ViewURLProvider.h"

#include "platform/Log.h"
#include "shared/ViewSite.h"

#include <boost/url/parse.hpp>
#include <boost/url/url.hpp>

std::optional<ViewURLProvider::Result> ViewURLProvider::url(std::string_view viewID, bool darkened,
                                                            const platform::Bundle& bundle) {
    if (viewID == "crypto_bubbles") {
        return localURL("index", darkened, bundle);
    }
    if (viewID == "crypto_chart") {
        return localURL("chartIndex", darkened, bundle);
    }
    if (viewID == "stocks_chart") {
        return remoteURL(ViewSite::origin() + (darkened ? "/stockView.html?darkened=1" : "/stockView.html"));
    }
    // "sp500_heatmap" and every ID outside the catalogue show the site's default page.
    return remoteURL(ViewSite::origin() + (darkened ? "/view.html?darkened=1" : "/view.html"));
}

std::optional<ViewURLProvider::Result> ViewURLProvider::localURL(std::string_view resource, bool darkened,
                                                                 const platform::Bundle& bundle) {
    const auto plainFileURL = bundle.urlForResource(resource, "html");
    if (!plainFileURL) {
        platform::systemLog("⚠️ ViewURLProvider: " + std::string(resource) + ".html not found in bundle");
        return std::nullopt;
    }
    const auto plain = boost::urls::parse_uri(*plainFileURL);
    if (!plain) {
        return std::nullopt;
    }

    std::string pageURL = *plainFileURL;
    if (darkened) {
        boost::urls::url withQuery(*plain);
        withQuery.params().assign({{"darkened", "1"}});
        pageURL = std::string(withQuery.buffer());
    }

    boost::urls::url folder(*plain);
    folder.remove_query();
    auto segments = folder.segments();
    if (!segments.empty()) {
        segments.pop_back();
    }
    segments.push_back("");  // a folder URL ends with a slash

    return LocalPage{pageURL, std::string(folder.buffer())};
}

std::optional<ViewURLProvider::Result> ViewURLProvider::remoteURL(const std::string& urlString) {
    if (!boost::urls::parse_absolute_uri(urlString)) {
        return std::nullopt;
    }
    return platform::URLRequest{urlString, platform::CachePolicy::useProtocolCachePolicy, 60.0};
}
