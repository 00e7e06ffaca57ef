#include "viewsite/ResponsePolicy.h"

#include <array>
#include <cstdio>
#include <utility>

namespace viewsite {

using platform::extensionOf;

namespace {

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// Weak comparison (RFC 9110 13.1.2): a W/ prefix does not matter for If-None-Match.
std::string_view opaqueTag(std::string_view tag) {
    tag = trim(tag);
    if (tag.starts_with("W/")) {
        tag.remove_prefix(2);
    }
    return tag;
}

}  // namespace

std::string cacheControlFor(std::string_view requestPath, std::string_view query) {
    if (requestPath.starts_with("/data/")) {
        return "public, max-age=60, must-revalidate";
    }
    if (requestPath.starts_with("/fonts/")) {
        return "public, max-age=31536000, immutable";
    }
    const std::string_view extension = extensionOf(requestPath);
    if (extension == ".css" || extension == ".js") {
        const bool versioned = query.starts_with("v=") || query.find("&v=") != std::string_view::npos;
        return versioned ? "public, max-age=31536000, immutable" : "public, max-age=300";
    }
    return "no-cache";
}

bool isSingleByteRange(std::string_view range) {
    range = trim(range);
    constexpr std::string_view unit = "bytes=";
    if (!range.starts_with(unit)) {
        return false;
    }
    range.remove_prefix(unit.size());
    return !trim(range).empty() && range.find(',') == std::string_view::npos;
}

std::string entityTag(const FileFacts& facts) {
    char text[64];
    std::snprintf(text, sizeof text, "\"%llx-%llx\"", static_cast<unsigned long long>(facts.size),
                  static_cast<unsigned long long>(facts.modifiedNanoseconds));
    return text;
}

std::string httpDate(std::time_t when) {
    std::tm utc{};
    gmtime_r(&when, &utc);
    char text[64];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &utc);
    return text;
}

std::optional<std::time_t> parseHttpDate(std::string_view text) {
    const std::string copy(trim(text));
    std::tm utc{};
    const char* end = strptime(copy.c_str(), "%a, %d %b %Y %H:%M:%S GMT", &utc);
    if (end == nullptr || *end != '\0') {
        return std::nullopt;
    }
    return timegm(&utc);
}

bool notModified(const std::optional<std::string>& ifNoneMatch, const std::optional<std::string>& ifModifiedSince,
                 const std::string& etag, std::time_t lastModified) {
    if (ifNoneMatch) {
        std::string_view list = *ifNoneMatch;
        if (trim(list) == "*") {
            return true;
        }
        while (!list.empty()) {
            const size_t comma = list.find(',');
            if (opaqueTag(list.substr(0, comma)) == etag) {
                return true;
            }
            if (comma == std::string_view::npos) {
                break;
            }
            list.remove_prefix(comma + 1);
        }
        return false;
    }
    if (ifModifiedSince) {
        const auto since = parseHttpDate(*ifModifiedSince);
        return since && lastModified <= *since;
    }
    return false;
}

}  // namespace viewsite
