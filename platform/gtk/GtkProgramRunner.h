#pragma once

#include "platform/ProgramRunner.h"
#include "platform/gtk/WebEngineTuning.h"

namespace platform::gtk {

// Other programs run through GIO's subprocesses, with this process's environment less
// what only the web engine's processes are meant to read.
class GtkProgramRunner : public ProgramRunner {
public:
    explicit GtkProgramRunner(const WebEngineTuning& engine) : engine_(engine) {}
    void run(const std::vector<std::string>& arguments, std::function<void(const ProgramOutcome&)> finished) override;
    bool launch(const std::vector<std::string>& arguments) override;

private:
    const WebEngineTuning& engine_;
};

}  // namespace platform::gtk
