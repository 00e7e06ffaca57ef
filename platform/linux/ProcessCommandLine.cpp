#include "platform/linux/ProcessCommandLine.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace platform {

std::vector<std::string> commandLineFromProcBytes(const std::string& bytes) {
    std::vector<std::string> arguments;
    std::istringstream stream(bytes);
    // A process that rewrote its command line may leave the last argument unended.
    for (std::string argument; std::getline(stream, argument, '\0');) {
        arguments.push_back(argument);
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
