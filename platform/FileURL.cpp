#include "platform/FileURL.h"

#include <boost/url/parse.hpp>
#include <boost/url/url.hpp>

namespace platform {

std::string fileURLFromPath(const std::filesystem::path& path, bool isDirectory) {
    boost::urls::url url;
    url.set_scheme("file");
    url.set_encoded_host("");
    std::string text = path.lexically_normal().string();
    if (isDirectory && (text.empty() || text.back() != '/')) {
        text += '/';
    }
    url.set_path(text);
    return std::string(url.buffer());
}

std::optional<std::filesystem::path> pathFromFileURL(std::string_view text) {
    const auto parsed = boost::urls::parse_uri(text);
    if (!parsed || parsed->scheme() != "file") {
        return std::nullopt;
    }
    if (parsed->has_authority() && !parsed->encoded_host().empty() && parsed->encoded_host() != "localhost") {
        return std::nullopt;
    }
    const std::string path = parsed->path();
    if (path.empty() || path.front() != '/') {
        return std::nullopt;
    }
    return std::filesystem::path(path);
}

std::optional<std::string> queryOfURL(std::string_view text) {
    const auto parsed = boost::urls::parse_uri_reference(text);
    if (!parsed || !parsed->has_query()) {
        return std::nullopt;
    }
    return std::string(parsed->encoded_query());
}

}  // namespace platform
