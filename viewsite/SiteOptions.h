#pragma once

#include "viewsite/ConnectionLedger.h"
#include "viewsite/RefreshSchedule.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace viewsite {

// How one run of the view site is set up: the command line says where it serves and
// from which folders; the configuration file says where the data job fetches from.
struct SiteOptions {
    std::filesystem::path root;         // the shipped pages
    std::filesystem::path dataOverlay;  // fresher data files, written by the data job
    std::filesystem::path configFile;
    std::string host = "127.0.0.1";
    int port = 8080;
    // Ends itself after this long without a request; zero serves until stopped.
    std::chrono::seconds idleExit{4 * 60 * 60};
    bool dataJob = true;
    bool help = false;
    // Started for one account by its application or screen saver: serves on another
    // port when the address is held, and records where in the account's runtime folder.
    bool forAccount = false;
    ConnectionLimits limits;

    std::string screenerURL = "https://api.nasdaq.com/api/screener/stocks?tableonly=true&download=true";
    // "{symbol}" is replaced by the lower-case index symbol.
    std::string historyURL = "https://stooq.com/q/d/l/?s={symbol}.us&i=d";
    std::chrono::seconds upstreamTimeout{20};
    std::chrono::seconds firstRunDelay{5};
    RefreshIntervals intervals;
};

struct ParsedSiteOptions {
    std::optional<SiteOptions> options;
    std::string error;
};

// `defaults` carries the folders found from the environment and the program's place.
ParsedSiteOptions parseSiteOptions(const std::vector<std::string>& arguments, SiteOptions defaults);

// Applies the configuration file's text to `options`; returns an error text when the
// file is not a JSON object or a value has the wrong type (nothing is applied then).
std::optional<std::string> applySiteConfig(const std::string& text, SiteOptions& options);

// The history address for one index: the pattern with "{symbol}" replaced.
std::string historyURLFor(const std::string& pattern, const std::string& symbol);

inline constexpr const char* siteUsage =
    "Usage: tavelo-live-wallpaper-site [--listen HOST:PORT] [--root DIR] [--data DIR] [--config FILE]\n"
    "                                  [--idle-exit SECONDS] [--no-data-job] [--header-timeout SECONDS]\n"
    "                                  [--answer-timeout SECONDS] [--max-connections N] [--max-per-client N]\n"
    "                                  [--for-account]\n"
    "Serves the Tavelo view site (GET and HEAD only) and refreshes its market data.\n"
    "  --listen HOST:PORT   address to serve on (default 127.0.0.1:8080)\n"
    "  --root DIR           the site's pages (default: the site installed beside the program)\n"
    "  --data DIR           writable folder for refreshed data (default: "
    "$XDG_CACHE_HOME/tavelo-live-wallpaper/site-data)\n"
    "  --config FILE        data job settings (default: $XDG_CONFIG_HOME/tavelo-live-wallpaper/site.json)\n"
    "  --idle-exit SECONDS  end after this long without a request; 0 never (default 14400)\n"
    "  --no-data-job        serve only; never fetch data\n"
    "  --header-timeout SECONDS  drop a connection whose request has not arrived whole by then (default 10)\n"
    "  --answer-timeout SECONDS  drop a connection whose answer is not taken by then (default 60)\n"
    "  --max-connections N       connections open at once, from all clients (default 256)\n"
    "  --max-per-client N        connections open at once from one address (default 64)\n"
    "  --for-account             serve on a free port when the address is held, and record the port\n"
    "                            in $XDG_RUNTIME_DIR/tavelo-live-wallpaper/view-site.json\n";

}  // namespace viewsite
