#pragma once

#include "viewsite/MarketSources.h"
#include "viewsite/SiteOptions.h"
#include "viewsite/SourceChain.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace viewsite {

// Refreshes the heat map's and the stocks chart's data on a schedule. Each dataset has
// its own chain of sources and its own timer, so one dataset's failing source never
// makes the job fetch the other again. Each data file (and its script twin) is replaced
// atomically in the data folder, so the server never hands out half a file; an answer
// that fails, is malformed or partial, or comes too late changes nothing, and the last
// good data stays.
class DataJob {
public:
    DataJob(const SiteOptions& options, std::filesystem::path shippedData);
    ~DataJob();
    DataJob(const DataJob&) = delete;
    DataJob& operator=(const DataJob&) = delete;

    void start();

private:
    struct Refresh {
        DataJob* job = nullptr;
        Dataset dataset = Dataset::heatmap;
        std::vector<MarketSource> sources;
        SourceChain chain;
        unsigned timer = 0;
    };

    void run(Refresh& refresh);
    void ask(Refresh& refresh, size_t source);
    void schedule(Refresh& refresh, std::chrono::seconds delay);
    bool write(Dataset dataset, const nlohmann::json& document);
    void restoreHealth();
    void saveHealth();

    SiteOptions options_;
    MarketSources sources_;
    std::vector<std::unique_ptr<Refresh>> refreshes_;
};

}  // namespace viewsite
