#include "platform/linux/XWaylandDisplay.h"

#include <charconv>
#include <fstream>
#include <regex>
#include <system_error>

namespace platform {

namespace {

// The process id a lock file holds: decimal, padded with spaces, one line.
std::optional<pid_t> ownerOf(const std::filesystem::path& lockFile) {
    std::ifstream in(lockFile);
    std::string text;
    if (!in || !std::getline(in, text)) {
        return std::nullopt;
    }
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return std::nullopt;
    }
    pid_t pid = 0;
    const char* begin = text.data() + first;
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(begin, end, pid);
    if (error != std::errc() || rest == begin || pid <= 0) {
        return std::nullopt;
    }
    for (const char* p = rest; p != end; ++p) {
        if (*p != ' ' && *p != '\r') {
            return std::nullopt;
        }
    }
    return pid;
}

}  // namespace

std::optional<std::string> xwaylandDisplayOf(pid_t compositor, const std::filesystem::path& lockFolder) {
    static const std::regex lockName(R"(\.X([0-9]{1,4})-lock)");
    std::optional<int> lowest;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(lockFolder, error)) {
        std::smatch match;
        const auto name = entry.path().filename().string();
        if (!std::regex_match(name, match, lockName) || !entry.is_regular_file(error)) {
            continue;
        }
        if (ownerOf(entry.path()) != compositor) {
            continue;
        }
        // A compositor may serve more than one X display; the first one is its main one.
        const int number = std::stoi(match[1]);
        if (!lowest || number < *lowest) {
            lowest = number;
        }
    }
    if (!lowest) {
        return std::nullopt;
    }
    return ":" + std::to_string(*lowest);
}

}  // namespace platform
