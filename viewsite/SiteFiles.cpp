#include "viewsite/SiteFiles.h"

#include "platform/ConfinedPath.h"

#include <string_view>

namespace viewsite {

namespace {

constexpr std::string_view dataPrefix = "/data/";

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
    if (!dataOverlay_.empty() && path.starts_with(dataPrefix)) {
        if (auto fresh = platform::confinedFile(dataOverlay_, path.substr(dataPrefix.size()))) {
            return fresh;
        }
    }
    return platform::confinedFile(root_, path);
}

}  // namespace viewsite
