#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform {

// How a program run to its end went: whether it could be started at all, its exit
// status, and what it wrote to standard output.
struct ProgramOutcome {
    bool started = false;
    int exitStatus = -1;
    std::string output;

    bool succeeded() const { return started && exitStatus == 0; }
};

// Other programs of the desktop, started the way the user's session would start
// them (found on PATH, with the session's environment).
class ProgramRunner {
public:
    virtual ~ProgramRunner() = default;
    // Runs `arguments` (the program first) to its end without holding up the main
    // loop; `finished` is called on the main loop with the outcome.
    virtual void run(const std::vector<std::string>& arguments,
                     std::function<void(const ProgramOutcome&)> finished) = 0;
    // Starts a program that goes on by itself (a desktop that stays up); whether it started.
    virtual bool launch(const std::vector<std::string>& arguments) = 0;
};

}  // namespace platform
