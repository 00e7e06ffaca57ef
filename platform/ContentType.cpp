#include "platform/ContentType.h"

#include <array>
#include <utility>

namespace platform {

std::string_view extensionOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        return {};
    }
    return path.substr(dot);
}

std::string contentTypeFor(std::string_view path) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 18> types{{
        {".html", "text/html; charset=utf-8"},
        {".htm", "text/html; charset=utf-8"},
        {".css", "text/css; charset=utf-8"},
        {".js", "text/javascript; charset=utf-8"},
        {".mjs", "text/javascript; charset=utf-8"},
        {".json", "application/json"},
        {".svg", "image/svg+xml"},
        {".png", "image/png"},
        {".jpg", "image/jpeg"},
        {".jpeg", "image/jpeg"},
        {".webp", "image/webp"},
        {".gif", "image/gif"},
        {".ico", "image/x-icon"},
        {".woff2", "font/woff2"},
        {".woff", "font/woff"},
        {".ttf", "font/ttf"},
        {".otf", "font/otf"},
        {".txt", "text/plain; charset=utf-8"},
    }};
    const std::string_view extension = extensionOf(path);
    for (const auto& [known, type] : types) {
        if (extension == known) {
            return std::string(type);
        }
    }
    return "application/octet-stream";
}

}  // namespace platform
