#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace viewsite {

// Maps a request path to a file of the view site. The shipped pages live in one
// folder; the data job writes fresher data files into a writable folder of its own,
// which overlays the shipped /data/ snapshot. Nothing outside either folder is ever
// served: ".." and symbolic links are resolved first, and hidden names (including
// the data job's temporary files) are refused. /data/ serves JSON only, and scripts
// are served from /js/ only.
class SiteFiles {
public:
    SiteFiles(std::filesystem::path root, std::filesystem::path dataOverlay);

    // `decodedPath` is the percent-decoded path of the request, starting with "/".
    std::optional<std::filesystem::path> resolve(const std::string& decodedPath) const;

    const std::filesystem::path& root() const { return root_; }
    const std::filesystem::path& dataOverlay() const { return dataOverlay_; }

private:
    std::filesystem::path root_;
    std::filesystem::path dataOverlay_;
};

}  // namespace viewsite
