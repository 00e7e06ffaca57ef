#include "viewsite/SiteOptions.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <iterator>

namespace viewsite {

namespace {

std::optional<long> wholeNumber(const std::string& text) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

ParsedSiteOptions parseSiteOptions(const std::vector<std::string>& arguments, SiteOptions options) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--check-sources") {
            options.checkSources = true;
        } else if (argument == "--no-data-job") {
            options.dataJob = false;
        } else if (argument == "--for-account") {
            options.forAccount = true;
        } else if (argument == "--listen" && hasValue) {
            const std::string& value = arguments[++i];
            const size_t colon = value.rfind(':');
            const auto port = colon == std::string::npos ? std::nullopt : wholeNumber(value.substr(colon + 1));
            if (!port || *port < 1 || *port > 65535 || colon == 0) {
                return {std::nullopt, "--listen wants HOST:PORT, not " + value};
            }
            options.host = value.substr(0, colon);
            options.port = static_cast<int>(*port);
        } else if (argument == "--root" && hasValue) {
            options.root = arguments[++i];
        } else if (argument == "--data" && hasValue) {
            options.dataOverlay = arguments[++i];
        } else if (argument == "--config" && hasValue) {
            options.configFile = arguments[++i];
        } else if (argument == "--idle-exit" && hasValue) {
            const auto seconds = wholeNumber(arguments[++i]);
            if (!seconds || *seconds < 0) {
                return {std::nullopt, "--idle-exit wants a number of seconds"};
            }
            options.idleExit = std::chrono::seconds(*seconds);
        } else if ((argument == "--header-timeout" || argument == "--answer-timeout") && hasValue) {
            const auto seconds = wholeNumber(arguments[++i]);
            if (!seconds || *seconds < 1) {
                return {std::nullopt, argument + " wants a number of seconds of at least 1"};
            }
            (argument == "--header-timeout" ? options.limits.headerTimeout : options.limits.answerTimeout) =
                std::chrono::seconds(*seconds);
        } else if ((argument == "--max-connections" || argument == "--max-per-client") && hasValue) {
            const auto count = wholeNumber(arguments[++i]);
            if (!count || *count < 1) {
                return {std::nullopt, argument + " wants a number of at least 1"};
            }
            (argument == "--max-connections" ? options.limits.total : options.limits.perClient) =
                static_cast<std::size_t>(*count);
        } else {
            return {std::nullopt, "unknown or incomplete option: " + argument};
        }
    }
    return {std::move(options), {}};
}

std::optional<std::string> applySiteConfig(const std::string& text, SiteOptions& options) {
    const auto json = nlohmann::json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        return "not a JSON object";
    }
    SiteOptions changed = options;
    const auto text_ = [&](const char* key, std::string& target) -> bool {
        if (!json.contains(key)) {
            return true;
        }
        if (!json[key].is_string()) {
            return false;
        }
        target = json[key].get<std::string>();
        return true;
    };
    const auto seconds = [&](const char* key, std::chrono::seconds& target) -> bool {
        if (!json.contains(key)) {
            return true;
        }
        if (!json[key].is_number_integer() || json[key].get<long>() < 0) {
            return false;
        }
        target = std::chrono::seconds(json[key].get<long>());
        return true;
    };
    const std::pair<const char*, std::chrono::seconds*> durations[] = {
        {"upstreamTimeoutSeconds", &changed.upstreamTimeout},
        {"firstRunDelaySeconds", &changed.firstRunDelay},
        {"refreshMarketOpenSeconds", &changed.intervals.marketOpen},
        {"refreshMarketClosedSeconds", &changed.intervals.marketClosed},
        {"retryAfterFailureSeconds", &changed.intervals.afterFailure},
    };
    if (!text_("screenerURL", changed.screenerURL)) {
        return "screenerURL must be a string";
    }
    for (const auto& [key, target] :
         std::initializer_list<std::pair<const char*, std::string*>>{{"historyURL", &changed.historyURL},
                                                                     {"quotesURL", &changed.quotesURL},
                                                                     {"nasdaqHistoryURL", &changed.nasdaqHistoryURL},
                                                                     {"binanceDataURL", &changed.binanceDataURL},
                                                                     {"binanceURL", &changed.binanceURL},
                                                                     {"krakenURL", &changed.krakenURL},
                                                                     {"coingeckoURL", &changed.coingeckoURL},
                                                                     {"coinpaprikaURL", &changed.coinpaprikaURL},
                                                                     {"fmpApiKey", &changed.fmpApiKey},
                                                                     {"stooqApiKey", &changed.stooqApiKey}}) {
        if (!text_(key, *target)) {
            return std::string(key) + " must be a string";
        }
    }
    // A configuration that names its own sources gets those and no built-in ones: a
    // test's or a deployment's loopback stand-ins are never mixed with real providers
    // that a later release adds.
    const std::pair<const char*, std::string*> addresses[] = {
        {"screenerURL", &changed.screenerURL},       {"quotesURL", &changed.quotesURL},
        {"historyURL", &changed.historyURL},         {"nasdaqHistoryURL", &changed.nasdaqHistoryURL},
        {"binanceDataURL", &changed.binanceDataURL}, {"binanceURL", &changed.binanceURL},
        {"krakenURL", &changed.krakenURL},           {"coingeckoURL", &changed.coingeckoURL},
        {"coinpaprikaURL", &changed.coinpaprikaURL}};
    if (std::any_of(std::begin(addresses), std::end(addresses),
                    [&](const auto& a) { return json.contains(a.first); })) {
        for (const auto& [key, target] : addresses) {
            if (!json.contains(key)) {
                target->clear();
            }
        }
    }
    for (const std::string* key : {&changed.fmpApiKey, &changed.stooqApiKey}) {
        // The key itself never goes into a message: this one may reach a log.
        if (!key->empty() && !plausibleApiKey(*key)) {
            return "an API key holds characters no key has";
        }
    }
    if (json.contains("answerLimitBytes")) {
        if (!json["answerLimitBytes"].is_number_integer() || json["answerLimitBytes"].get<long>() < 1024) {
            return "answerLimitBytes must be a whole number of at least 1024";
        }
        changed.answerLimitBytes = json["answerLimitBytes"].get<std::size_t>();
    }
    for (const auto& [key, target] : durations) {
        if (!seconds(key, *target)) {
            return std::string(key) + " must be a whole number of seconds";
        }
    }
    options = std::move(changed);
    return std::nullopt;
}

namespace {

bool symbolCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

std::string cleanSymbol(const std::string& symbol, bool upper) {
    std::string clean;
    for (const char c : symbol) {
        if (!symbolCharacter(c)) {
            continue;
        }
        if (upper) {
            clean += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        } else {
            clean += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
    }
    return clean;
}

void replaceAll(std::string& text, const std::string& placeholder, const std::string& value) {
    for (size_t at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + value.size())) {
        text.replace(at, placeholder.size(), value);
    }
}

bool dayText(const std::string& text) {
    return text.size() == 10 && text.find_first_not_of("0123456789-") == std::string::npos;
}

}  // namespace

bool plausibleApiKey(const std::string& key) {
    return !key.empty() && key.size() <= 256 &&
           key.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_") ==
               std::string::npos;
}

bool lacksItsKey(const std::string& pattern, const std::string& apiKey) {
    return pattern.find("{apikey}") != std::string::npos && !plausibleApiKey(apiKey);
}

std::string addressFor(const std::string& pattern, const AddressValues& values) {
    std::string url = pattern;
    const std::string first = values.symbols.empty() ? std::string() : values.symbols.front();
    replaceAll(url, "{symbol}", cleanSymbol(first, false));
    replaceAll(url, "{SYMBOL}", cleanSymbol(first, true));
    std::string list;
    for (const auto& symbol : values.symbols) {
        // Share classes go with a dash in a symbol list ("BRK-B").
        std::string clean = cleanSymbol(symbol, true);
        for (char& c : clean) {
            c = c == '.' ? '-' : c;
        }
        list += (list.empty() ? "" : ",") + clean;
    }
    replaceAll(url, "{symbols}", list);
    replaceAll(url, "{from}", dayText(values.from) ? values.from : std::string());
    replaceAll(url, "{to}", dayText(values.to) ? values.to : std::string());
    replaceAll(url, "{apikey}", plausibleApiKey(values.apiKey) ? values.apiKey : std::string());
    return url;
}

}  // namespace viewsite
