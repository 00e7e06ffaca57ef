#pragma once

#include "platform/gtk/GObjectPtr.h"
#include "viewsite/MarketData.h"
#include "viewsite/SiteOptions.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// libsoup's own struct tag, declared here so that users of this header need not include libsoup.
typedef struct _SoupSession SoupSession;  // NOLINT(bugprone-reserved-identifier)

namespace viewsite {

// Refreshes the heat map's and the stocks chart's data on a schedule. Each data file
// (and its script twin) is replaced atomically in the data folder, so the server never
// hands out half a file; an answer that fails, is malformed or partial, or comes too
// late changes nothing, and the last good data stays.
class DataJob {
public:
    DataJob(const SiteOptions& options, std::filesystem::path shippedData);
    ~DataJob();
    DataJob(const DataJob&) = delete;
    DataJob& operator=(const DataJob&) = delete;

    void start();

    struct Answer {
        int status = 0;  // 0 when no answer came
        std::string body;
        std::string error;
        std::optional<std::chrono::seconds> retryAfter;
    };

private:
    void runOnce();
    void fetch(const std::string& url, std::function<void(Answer)> done);
    void fetchNextHistory();
    void finishRun();
    void schedule(std::chrono::seconds delay);
    bool write(const std::string& name, const char* globalName, const nlohmann::json& document);
    void noteFailure(const Answer& answer);

    SiteOptions options_;
    std::filesystem::path shippedData_;
    platform::gtk::GObjectPtr<SoupSession> session_;
    unsigned timer_ = 0;
    // The run in progress.
    bool failed_ = false;
    std::optional<std::chrono::seconds> retryAfter_;
    std::vector<IndexSeries> indices_;
    std::vector<std::vector<std::pair<std::int64_t, double>>> histories_;
};

}  // namespace viewsite
