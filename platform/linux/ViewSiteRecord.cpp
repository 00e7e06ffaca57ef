#include "platform/linux/ViewSiteRecord.h"

#include "platform/AtomicFileReplacement.h"
#include "platform/ProductNames.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace platform {

namespace {

constexpr std::size_t recordMaxBytes = 4096;

// Owned by this account and writable by no one else.
bool isPrivate(const std::filesystem::path& path) {
    struct stat facts {};
    return ::lstat(path.c_str(), &facts) == 0 && facts.st_uid == ::getuid() &&
           (facts.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::filesystem::path privateRuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/' && isPrivate(runtime)) {
        return runtime;
    }
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache != nullptr && cache[0] == '/') {
        return cache;
    }
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] == '/' ? std::filesystem::path(home) / ".cache" : std::filesystem::path();
}

}  // namespace

std::filesystem::path viewSiteRecordPath() {
    const auto folder = privateRuntimeFolder();
    return folder.empty() ? folder : folder / product::programName / "view-site.json";
}

namespace {

std::optional<int> recordedNumber(const std::filesystem::path& record, const char* key) {
    if (record.empty() || !isPrivate(record.parent_path()) || !isPrivate(record)) {
        return std::nullopt;
    }
    struct stat facts {};
    if (::stat(record.c_str(), &facts) != 0 || !S_ISREG(facts.st_mode) ||
        static_cast<std::size_t>(facts.st_size) > recordMaxBytes) {
        return std::nullopt;
    }
    std::ifstream input(record);
    std::stringstream text;
    text << input.rdbuf();
    const auto document = nlohmann::json::parse(text.str(), nullptr, false);
    if (!document.is_object() || !document.contains(key) || !document[key].is_number_integer()) {
        return std::nullopt;
    }
    return document[key].get<int>();
}

}  // namespace

std::optional<int> readViewSiteRecord(const std::filesystem::path& record) {
    const auto port = recordedNumber(record, "port");
    return port && *port > 0 && *port < 65536 ? port : std::nullopt;
}

std::optional<int> recordedViewSiteProcess(const std::filesystem::path& record) {
    const auto pid = recordedNumber(record, "pid");
    return pid && *pid > 1 ? pid : std::nullopt;
}

bool writeViewSiteRecord(const std::filesystem::path& record, int port) {
    if (record.empty()) {
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(record.parent_path(), error);
    ::chmod(record.parent_path().c_str(), 0700);
    if (!isPrivate(record.parent_path())) {
        return false;
    }
    return replaceFileAtomically(record, nlohmann::json{{"port", port}, {"pid", ::getpid()}}.dump() + "\n");
}

void removeViewSiteRecord(const std::filesystem::path& record, int port) {
    if (readViewSiteRecord(record) == port) {
        std::error_code ignored;
        std::filesystem::remove(record, ignored);
    }
}

}  // namespace platform
