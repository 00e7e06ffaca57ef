#include "viewsite/SiteFiles.h"

#include "platform/ConfinedPath.h"

#include <string_view>

namespace viewsite {

namespace {

constexpr std::string_view dataPrefix = "/data/";
constexpr std::string_view scriptPrefix = "/js/";

// A path is refused outright when a segment is empty-dot, hidden or a parent step:
// those never name a page, and the confinement check would otherwise have to be the
// only thing between a request and the data job's half-written temporary files.
bool hasRefusedSegment(std::string_view path) {
    size_t start = 1;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('/', start), path.size());
        const std::string_view segment = path.substr(start, end - start);
        if (!segment.empty() && segment.front() == '.') {
            return true;
        }
        start = end + 1;
    }
    return false;
}

// Data is data: the data folder serves JSON and nothing else, so a file that lands
// there (the cache is writable) is never run, and scripts come from the pages' own
// script folder only, which is all the pages' Content-Security-Policy then admits.
bool isAllowedKind(std::string_view path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    const std::string_view extension =
        dot == std::string_view::npos || dot < slash ? std::string_view{} : path.substr(dot);
    if (path.starts_with(dataPrefix)) {
        return extension == ".json";
    }
    if (extension == ".js" || extension == ".mjs") {
        return path.starts_with(scriptPrefix);
    }
    return true;
}

}  // namespace

SiteFiles::SiteFiles(std::filesystem::path root, std::filesystem::path dataOverlay)
    : root_(std::move(root)), dataOverlay_(std::move(dataOverlay)) {}

std::optional<std::filesystem::path> SiteFiles::resolve(const std::string& decodedPath) const {
    if (decodedPath.empty() || decodedPath.front() != '/' || decodedPath.find('\0') != std::string::npos ||
        decodedPath.find('\\') != std::string::npos || hasRefusedSegment(decodedPath)) {
        return std::nullopt;
    }
    std::string path = decodedPath;
    if (path.back() == '/') {
        path += "index.html";
    }
    if (!isAllowedKind(path)) {
        return std::nullopt;
    }
    if (!dataOverlay_.empty() && path.starts_with(dataPrefix)) {
        if (auto fresh = platform::confinedFile(dataOverlay_, path.substr(dataPrefix.size()))) {
            return fresh;
        }
    }
    return platform::confinedFile(root_, path);
}

}  // namespace viewsite
