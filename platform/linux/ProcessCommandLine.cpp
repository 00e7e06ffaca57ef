#include "platform/linux/ProcessCommandLine.h"

#include <fstream>
#include <iterator>

namespace platform {

std::vector<std::string> commandLineFromProcBytes(const std::string& bytes) {
    std::vector<std::string> arguments;
    std::string::size_type start = 0;
    while (start < bytes.size()) {
        const auto end = bytes.find('\0', start);
        if (end == std::string::npos) {
            // A process that rewrote its command line may leave the last one unended.
            arguments.push_back(bytes.substr(start));
            break;
        }
        arguments.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

std::vector<std::string> processCommandLine(pid_t pid) {
    if (pid <= 0) {
        return {};
    }
    std::ifstream file("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    if (!file) {
        return {};
    }
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return commandLineFromProcBytes(bytes);
}

}  // namespace platform
