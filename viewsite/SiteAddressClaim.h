#pragma once

#include "viewsite/SiteOptions.h"
#include "viewsite/SiteServer.h"

#include <filesystem>
#include <optional>

namespace viewsite {

// The site's claim to its address. A site started for an account holds a lock beside
// the account's record, so that one site serves each account however many start at
// once; when its address is held by another account or program it says so in one line
// and serves on a port the kernel chooses; and it records the port it serves on for the
// application and the screen-saver host, removing the record when it ends.
class SiteAddressClaim {
public:
    SiteAddressClaim() = default;
    ~SiteAddressClaim();
    SiteAddressClaim(const SiteAddressClaim&) = delete;
    SiteAddressClaim& operator=(const SiteAddressClaim&) = delete;

    // Listens as `options` say. Nothing when the site now serves; otherwise the
    // status the program ends with (0 when this account's site serves already).
    std::optional<int> claim(SiteServer& server, const SiteOptions& options);

private:
    std::optional<int> joinTheSiteAlreadyServing();

    int lock_ = -1;
    std::filesystem::path record_;
    int port_ = 0;
};

}  // namespace viewsite
