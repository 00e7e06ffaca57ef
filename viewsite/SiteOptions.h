#pragma once

#include "viewsite/ConnectionLedger.h"
#include "viewsite/RefreshSchedule.h"

#include <chrono>
#include <cstddef>
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
    bool checkSources = false;
    bool help = false;
    // Started for one account by its application or screen saver: serves on another
    // port when the address is held, and records where in the account's runtime folder.
    bool forAccount = false;
    ConnectionLimits limits;

    // Each dataset's sources, in the order they are asked. In an address, "{symbol}" is
    // the lower-case symbol, "{SYMBOL}" the upper-case one, "{symbols}" the members'
    // symbols with commas, "{from}" and "{to}" the days that bound a history
    // (YYYY-MM-DD), and "{apikey}" the user's key for that provider: a source whose
    // address asks for a key and has none is never asked, nor one without an address.
    // The heat map: Nasdaq's screener, then Financial Modeling Prep's quotes.
    std::string screenerURL = "https://api.nasdaq.com/api/screener/stocks?tableonly=true&download=true";
    std::string quotesURL = "https://financialmodelingprep.com/api/v3/quote/{symbols}?apikey={apikey}";
    // The index histories: Stooq's daily CSV, then Nasdaq's historical quotes.
    std::string historyURL = "https://stooq.com/q/d/l/?s={symbol}.us&i=d&apikey={apikey}";
    std::string nasdaqHistoryURL =
        "https://api.nasdaq.com/api/quote/{SYMBOL}/historical?assetclass=etf&fromdate={from}&todate={to}&limit=200";
    // The crypto pages' own sources, which only the sources check asks from here.
    std::string binanceDataURL = "https://data-api.binance.vision/api/v3/klines?symbol=BTCUSDT&interval=15m&limit=160";
    std::string binanceURL = "https://api.binance.com/api/v3/klines?symbol=BTCUSDT&interval=15m&limit=160";
    std::string krakenURL = "https://api.kraken.com/0/public/OHLC?pair=XBTUSD&interval=15";
    std::string coingeckoURL =
        "https://api.coingecko.com/api/v3/coins/markets?vs_currency=usd&order=market_cap_desc&per_page=100&page=1";
    std::string coinpaprikaURL = "https://api.coinpaprika.com/v1/tickers?quotes=USD";
    std::string fmpApiKey;
    std::string stooqApiKey;
    // No upstream answer is read past this size: the whole screener is about 2 MB.
    std::size_t answerLimitBytes = 16u << 20U;
    // The longest pause a refusing source gets, whatever it asks: the longest ban these
    // providers are known to hand out.
    std::chrono::seconds longestPause{24 * 60 * 60};
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

struct AddressValues {
    std::vector<std::string> symbols;
    std::string apiKey;
    std::string from;
    std::string to;
};

// The pattern with its placeholders filled in (see SiteOptions). Symbols keep only
// letters, digits, dots and dashes, and a key only letters, digits, dashes and
// underscores, so no value can change the address's shape.
std::string addressFor(const std::string& pattern, const AddressValues& values);

// Whether an address asks for a key, and the key is missing.
bool lacksItsKey(const std::string& pattern, const std::string& apiKey);

// Whether the key looks like one (letters, digits, dashes, underscores).
bool plausibleApiKey(const std::string& key);

inline constexpr const char* siteUsage =
    "Usage: tavelo-live-wallpaper-site [--listen HOST:PORT] [--root DIR] [--data DIR] [--config FILE]\n"
    "                                  [--idle-exit SECONDS] [--no-data-job] [--check-sources]\n"
    "                                  [--header-timeout SECONDS] [--answer-timeout SECONDS]\n"
    "                                  [--max-connections N] [--max-per-client N] [--for-account]\n"
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
    "                            in $XDG_RUNTIME_DIR/tavelo-live-wallpaper/view-site.json\n"
    "  --check-sources      ask every data source once, print how each answered, and end;\n"
    "                       the status is not zero when a dataset has no working source\n";

}  // namespace viewsite
