#pragma once

#include "platform/ProgramRunner.h"
#include "platform/fake/CallRecord.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace platform::fake {

// Records every program it is asked to run or start. A run ends when the test says
// so (`finishNext`), with the outcome scripted for that command line (success with
// no output when none is); a start succeeds unless `launchSucceeds` is false.
class FakeProgramRunner : public ProgramRunner {
public:
    explicit FakeProgramRunner(CallRecord& record) : record_(record) {}
    void run(const std::vector<std::string>& arguments, std::function<void(const ProgramOutcome&)> finished) override;
    bool launch(const std::vector<std::string>& arguments) override;

    // Ends the oldest run still going; false when none is.
    bool finishNext();
    // Ends every run, including those started by the runs that end.
    void finishAll();

    // Outcomes by command line, its words joined by spaces.
    std::map<std::string, ProgramOutcome> outcomes;
    bool launchSucceeds = true;
    std::vector<std::string> ran;
    std::vector<std::string> launched;

private:
    struct Running {
        std::string command;
        std::function<void(const ProgramOutcome&)> finished;
    };
    CallRecord& record_;
    std::vector<Running> running_;
};

}  // namespace platform::fake
