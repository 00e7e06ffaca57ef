#include "shared/ViewURLProvider.h"

#include "platform/Log.h"
#include "shared/ViewSite.h"

#include <boost/url/parse.hpp>
#include <boost/url/url.hpp>

std::optional<ViewURLProvider::Result> ViewURLProvider::url(std::string_view viewID, bool darkened,
                                                            const platform::Bundle& bundle) {
    return url(viewID, darkened, bundle, views::table);
}

std::optional<ViewURLProvider::Result> ViewURLProvider::url(std::string_view viewID, bool darkened,
                                                            const platform::Bundle& bundle,
                                                            std::span<const views::Row> table) {
    // Exact, case-sensitive IDs: anything else is no view of the table.
    for (const auto& row : table) {
        if (viewID != row.id) {
            continue;
        }
        if (row.location == views::PageLocation::bundle) {
            std::string_view resource = row.page;
            resource.remove_suffix(std::string_view(".html").size());
            return localURL(resource, darkened, bundle);
        }
        return sitePage(row.page, darkened);
    }
    // Every ID outside the table shows the site's default page.
    return sitePage(views::unknownViewPage, darkened);
}

std::optional<ViewURLProvider::Result> ViewURLProvider::sitePage(std::string_view page, bool darkened) {
    return remoteURL(ViewSite::origin() + "/" + std::string(page) + (darkened ? "?darkened=1" : ""));
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
