#pragma once

#include <sys/types.h>
#include <string>
#include <vector>

namespace platform {

// The command line a running process of this machine was started with (from /proc);
// empty when the process is gone or its command line cannot be read.
std::vector<std::string> processCommandLine(pid_t pid);

// The same, from the bytes of /proc/PID/cmdline: arguments each ended by a NUL.
std::vector<std::string> commandLineFromProcBytes(const std::string& bytes);

}  // namespace platform
