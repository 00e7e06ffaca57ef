#include "shared/LoadResolvedPage.h"

#include <type_traits>
#include <variant>

void loadResolvedPage(platform::WebView& webView, const ViewURLProvider::Result& page) {
    std::visit(
        [&webView](const auto& resolved) {
            using Page = std::decay_t<decltype(resolved)>;
            if constexpr (std::is_same_v<Page, ViewURLProvider::LocalPage>) {
                webView.loadFileURL(resolved.fileURL, resolved.accessURL);
            } else {
                webView.load(resolved);
            }
        },
        page);
}
