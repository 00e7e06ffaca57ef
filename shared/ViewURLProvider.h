#pragma once

#include "platform/Bundle.h"
#include "platform/URLRequest.h"
#include "shared/ViewTable.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

// Turns a view ID into the address of the page that shows it: a page on the
// view site, or a page shipped in the bundle.
class ViewURLProvider {
public:
    struct LocalPage {
        std::string fileURL;    // the page, with "?darkened=1" for the darkened variant
        std::string accessURL;  // the folder the page may read, never with a query

        friend bool operator==(const LocalPage&, const LocalPage&) = default;
    };
    using Remote = platform::URLRequest;
    using Result = std::variant<Remote, LocalPage>;

    ViewURLProvider() = delete;

    static std::optional<Result> url(std::string_view viewID, bool darkened, const platform::Bundle& bundle);
    // The same against another table than the view table (shared/views.json).
    static std::optional<Result> url(std::string_view viewID, bool darkened, const platform::Bundle& bundle,
                                     std::span<const views::Row> table);

private:
    static std::optional<Result> localURL(std::string_view resource, bool darkened, const platform::Bundle& bundle);
    static std::optional<Result> remoteURL(const std::string& urlString);
    static std::optional<Result> sitePage(std::string_view page, bool darkened);
};
