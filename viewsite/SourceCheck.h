#pragma once

#include "viewsite/SiteOptions.h"

#include <filesystem>
#include <string>

namespace viewsite {

// Asks every source of every dataset once, from this machine's network, and writes one
// line per source to standard output: it answers, it refuses (with the status), it is
// blocked here, or its answer is not the data. Returns 0 when every dataset has at
// least one source that answers, 1 otherwise. Nothing is written to the data folder.
int checkSources(const SiteOptions& options, const std::filesystem::path& shippedData);

}  // namespace viewsite
