#include "app/IconDesktopAdvisor.h"

#include "platform/ControlCharacterEscape.h"
#include "platform/Log.h"

namespace {

std::string commandText(const std::vector<std::string>& command) {
    std::string text;
    for (const auto& argument : command) {
        text += (text.empty() ? "" : " ") + argument;
    }
    return escapeControlCharacters(text);
}

// What a setting held, as gsettings prints it; only a Boolean is put back, so nothing
// read can become anything but the setting's own value.
std::optional<std::string> booleanSetting(const std::string& output) {
    const auto end = output.find_last_not_of(" \n");
    const std::string value = end == std::string::npos ? std::string() : output.substr(0, end + 1);
    if (value == "true" || value == "false") {
        return value;
    }
    return std::nullopt;
}

}  // namespace

IconDesktopAdvisor::IconDesktopAdvisor(platform::AlertPresenter& alerts, platform::ProgramRunner& programs,
                                       platform::MainQueue& mainQueue, IconDesktopChoices& choices)
    : alerts_(alerts), programs_(programs), mainQueue_(mainQueue), choices_(choices) {}

std::string IconDesktopAdvisor::showAgainTitle(const std::string& program) {
    return "Show " + program + "'s Desktop Again";
}

std::optional<std::string> IconDesktopAdvisor::programToShowAgain() const {
    const auto off = choices_.turnedOff();
    if (off.empty()) {
        return std::nullopt;
    }
    return off.front();
}

void IconDesktopAdvisor::desktopHidden(const platform::IconDesktopSighting& sighting) {
    const auto program = iconDesktopProgramFor(sighting);
    if (!program || busy_.count(program->name) != 0) {
        return;
    }
    const auto choice = choices_.choiceFor(program->name);
    if (choice && choice->kind == IconDesktopChoices::Choice::Kind::keep) {
        return;
    }
    if (choice && choice->kind == IconDesktopChoices::Choice::Kind::turnedOff) {
        // Back in the run it was turned off in: something restarts it (a session
        // manager, the user), and turning it off again would be a fight.
        if (!turnedOffThisRun_.insert(program->name).second) {
            platform::systemLog("⚠️ " + program->name +
                                "'s desktop came back over the live wallpaper; it is left alone until the next start");
            return;
        }
        // The user agreed to this desktop being off, and can bring it back from the
        // menu: a session that starts it again at login gets the same answer.
        platform::systemLog("⚠️ " + program->name +
                            "'s desktop is back over the live wallpaper; turning it off again, as agreed");
        applyFix(*program, *choice, /*userAsked=*/false);
        return;
    }
    if (!asked_.insert(program->name).second) {
        return;
    }
    pending_.push_back({*program, sighting.commandLine});
    // Asked from the main loop, not from inside whatever noticed the desktop.
    mainQueue_.asyncAfter(0, [weak = anchor_.weak()] {
        if (auto* self = weak.lock()) {
            self->askPending();
        }
    });
}

void IconDesktopAdvisor::askPending() {
    // One question at a time: a second icon program waits for the first answer.
    if (asking_) {
        return;
    }
    asking_ = true;
    while (!pending_.empty()) {
        const Pending next = pending_.front();
        pending_.erase(pending_.begin());
        ask(next);
    }
    asking_ = false;
}

void IconDesktopAdvisor::ask(const Pending& pending) {
    const auto& name = pending.program.name;
    if (pending.program.fix.apply.empty()) {
        tellOnce(pending.program);
        return;
    }
    platform::systemLog("⚠️ " + name + "'s desktop hides the live wallpaper; asking whether to turn it off");
    const int answer = alerts_.runModal(platform::Alert{
        name + "'s desktop hides the live wallpaper",
        pending.program.fix.explanation,
        platform::AlertStyle::informational,
        {pending.program.fix.actionTitle, "Later"},
    });
    if (answer == platform::alertFirstButtonReturn) {
        turnedOffThisRun_.insert(name);
        turnOff(pending.program, pending.commandLine);
    } else if (answer == platform::alertSecondButtonReturn) {
        choices_.remember(name, {});
        platform::systemLog(name + "'s desktop stays over the live wallpaper (Later); not asked again");
    } else {
        platform::systemLog(name + "'s desktop stays over the live wallpaper: the question was closed unanswered");
    }
}

void IconDesktopAdvisor::tellOnce(const IconDesktopProgram& program) {
    platform::systemLog("⚠️ " + program.name +
                        "'s desktop hides the live wallpaper and cannot be turned off; telling the user once");
    alerts_.runModal(platform::Alert{
        program.name + "'s desktop hides the live wallpaper",
        program.fix.explanation,
        platform::AlertStyle::informational,
        {},
    });
    choices_.remember(program.name, {});
}

void IconDesktopAdvisor::turnOff(const IconDesktopProgram& program, const std::vector<std::string>& commandLine) {
    IconDesktopChoices::Choice choice{IconDesktopChoices::Choice::Kind::turnedOff, {}, {}};
    if (program.fix.undoStartsProgram) {
        choice.restart = restartCommand(program, commandLine);
    }
    if (program.fix.readPrevious.empty()) {
        applyFix(program, choice, /*userAsked=*/true);
        return;
    }
    // The value it held is read first: without it the change could not be undone.
    busy_.insert(program.name);
    programs_.run(program.fix.readPrevious,
                  [weak = anchor_.weak(), program, choice](const platform::ProgramOutcome& outcome) mutable {
                      auto* self = weak.lock();
                      if (self == nullptr) {
                          return;
                      }
                      self->busy_.erase(program.name);
                      const auto previous = booleanSetting(outcome.output);
                      if (!outcome.succeeded() || !previous) {
                          self->failed("turn off", program.name, program.fix.readPrevious, outcome, true);
                          return;
                      }
                      choice.previous = *previous;
                      self->applyFix(program, choice, /*userAsked=*/true);
                  });
}

void IconDesktopAdvisor::applyFix(const IconDesktopProgram& program, const IconDesktopChoices::Choice& choice,
                                  bool userAsked) {
    busy_.insert(program.name);
    programs_.run(program.fix.apply,
                  [weak = anchor_.weak(), program, choice, userAsked](const platform::ProgramOutcome& outcome) {
                      auto* self = weak.lock();
                      if (self == nullptr) {
                          return;
                      }
                      self->busy_.erase(program.name);
                      if (!outcome.succeeded()) {
                          self->failed("turn off", program.name, program.fix.apply, outcome, userAsked);
                          return;
                      }
                      self->choices_.remember(program.name, choice);
                      // What the program does with it is its own: caja started with
                      // --force-desktop ignores the setting.
                      platform::systemLog("✅ Told " + program.name + " to turn its desktop off (" +
                                          commandText(program.fix.apply) + ")");
                      self->finished(program.name);
                  });
}

void IconDesktopAdvisor::showDesktopAgain(const std::string& name) {
    const auto program = iconDesktopProgramNamed(name);
    const auto choice = choices_.choiceFor(name);
    if (!program || !choice || choice->kind != IconDesktopChoices::Choice::Kind::turnedOff || busy_.count(name) != 0) {
        return;
    }
    // Remembered first: the desktop that comes back must not be taken for one to turn off.
    choices_.remember(name, {});
    if (program->fix.undoStartsProgram) {
        const auto command = choice->restart.empty() ? program->fix.undo : choice->restart;
        if (!programs_.launch(command)) {
            choices_.remember(name, *choice);
            failed("show again", name, command, platform::ProgramOutcome{}, true);
            return;
        }
        platform::systemLog("✅ Started " + name + "'s desktop again (" + commandText(command) + ")");
        finished(name);
        return;
    }
    const auto command = undoCommand(program->fix, choice->previous);
    busy_.insert(name);
    programs_.run(command,
                  [weak = anchor_.weak(), name, command, choice = *choice](const platform::ProgramOutcome& outcome) {
                      auto* self = weak.lock();
                      if (self == nullptr) {
                          return;
                      }
                      self->busy_.erase(name);
                      if (!outcome.succeeded()) {
                          self->choices_.remember(name, choice);
                          self->failed("show again", name, command, outcome, true);
                          return;
                      }
                      platform::systemLog("✅ Put " + name + "'s desktop back (" + commandText(command) + ")");
                      self->finished(name);
                  });
}

void IconDesktopAdvisor::failed(const std::string& what, const std::string& program,
                                const std::vector<std::string>& command, const platform::ProgramOutcome& outcome,
                                bool userAsked) {
    const std::string why = !outcome.started          ? "it could not be started"
                            : outcome.exitStatus != 0 ? "it ended with status " + std::to_string(outcome.exitStatus)
                                                      : "it printed no setting to put back";
    platform::systemLog("❌ Cannot " + what + " " + program + "'s desktop: " + commandText(command) + ": " + why);
    // What the user just asked for is answered where they look; a fix agreed to earlier
    // that fails now is only logged.
    if (userAsked) {
        alerts_.runModal(platform::Alert{
            what == "turn off" ? "Cannot Turn Off " + program + "'s Desktop"
                               : "Cannot Show " + program + "'s Desktop Again",
            "\"" + commandText(command) + "\" did not work: " + why + ". Nothing else was changed.",
            platform::AlertStyle::warning,
            {},
        });
    }
    finished(program);
}

void IconDesktopAdvisor::finished(const std::string&) {
    if (changed_) {
        changed_();
    }
}
