#include "viewsite/SiteOptions.h"

#include <nlohmann/json.hpp>

#include <charconv>

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
    if (!text_("historyURL", changed.historyURL)) {
        return "historyURL must be a string";
    }
    for (const auto& [key, target] : durations) {
        if (!seconds(key, *target)) {
            return std::string(key) + " must be a whole number of seconds";
        }
    }
    options = std::move(changed);
    return std::nullopt;
}

std::string historyURLFor(const std::string& pattern, const std::string& symbol) {
    std::string lower;
    for (const char c : symbol) {
        // Symbols are letters, digits and dots; anything else would change the address.
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-') {
            lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
    }
    std::string url = pattern;
    const std::string placeholder = "{symbol}";
    for (size_t at = url.find(placeholder); at != std::string::npos; at = url.find(placeholder, at + lower.size())) {
        url.replace(at, placeholder.size(), lower);
    }
    return url;
}

}  // namespace viewsite
