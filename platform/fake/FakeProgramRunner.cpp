#include "platform/fake/FakeProgramRunner.h"

namespace platform::fake {

namespace {
std::string joined(const std::vector<std::string>& arguments) {
    std::string text;
    for (const auto& argument : arguments) {
        text += (text.empty() ? "" : " ") + argument;
    }
    return text;
}
}  // namespace

void FakeProgramRunner::run(const std::vector<std::string>& arguments,
                            std::function<void(const ProgramOutcome&)> finished) {
    const auto command = joined(arguments);
    record_.add("programs.run " + command);
    ran.push_back(command);
    running_.push_back({command, std::move(finished)});
}

bool FakeProgramRunner::launch(const std::vector<std::string>& arguments) {
    const auto command = joined(arguments);
    record_.add("programs.launch " + command + (launchSucceeds ? "" : " (fails)"));
    launched.push_back(command);
    return launchSucceeds;
}

bool FakeProgramRunner::finishNext() {
    if (running_.empty()) {
        return false;
    }
    Running next = std::move(running_.front());
    running_.erase(running_.begin());
    const auto scripted = outcomes.find(next.command);
    const ProgramOutcome outcome = scripted != outcomes.end() ? scripted->second : ProgramOutcome{true, 0, ""};
    record_.add("programs.finished " + next.command + " status=" + std::to_string(outcome.exitStatus));
    if (next.finished) {
        next.finished(outcome);
    }
    return true;
}

void FakeProgramRunner::finishAll() {
    while (finishNext()) {
    }
}

}  // namespace platform::fake
