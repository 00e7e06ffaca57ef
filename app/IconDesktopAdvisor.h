#pragma once

#include "app/IconDesktopChoices.h"
#include "app/IconDesktopPrograms.h"
#include "platform/Alert.h"
#include "platform/MainQueue.h"
#include "platform/ProgramRunner.h"
#include "platform/WeakAnchor.h"
#include "platform/Window.h"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

// When a desktop-icon program's opaque desktop hides the live wallpaper, the user is
// asked once, on screen, whether to turn that desktop off (the program's own switch
// or setting), or to leave it ("Later", remembered). Nothing of the user's is changed
// without that answer. A desktop turned off can be brought back as it was; once it is,
// or after "Later", the program is not asked about again.
class IconDesktopAdvisor {
public:
    IconDesktopAdvisor(platform::AlertPresenter& alerts, platform::ProgramRunner& programs,
                       platform::MainQueue& mainQueue, IconDesktopChoices& choices);

    // An icon program's desktop window hides the wallpaper.
    void desktopHidden(const platform::IconDesktopSighting& sighting);

    // The program whose desktop "Show … Again" brings back now, if any.
    std::optional<std::string> programToShowAgain() const;
    // The menu's title for that: "Show caja's Desktop Again".
    static std::string showAgainTitle(const std::string& program);
    void showDesktopAgain(const std::string& program);

    // Called after each change to what can be brought back.
    void onShowAgainChanged(std::function<void()> changed) { changed_ = std::move(changed); }

private:
    struct Pending {
        IconDesktopProgram program;
        std::vector<std::string> commandLine;
    };
    void askPending();
    void ask(const Pending& pending);
    // For a desktop nothing here can change: one notice, remembered so it is not repeated.
    void tellOnce(const IconDesktopProgram& program);
    void turnOff(const IconDesktopProgram& program, const std::vector<std::string>& commandLine);
    void applyFix(const IconDesktopProgram& program, const IconDesktopChoices::Choice& choice, bool userAsked);
    void failed(const std::string& what, const std::string& program, const std::vector<std::string>& command,
                const platform::ProgramOutcome& outcome, bool userAsked);
    void finished(const std::string& program);

    platform::AlertPresenter& alerts_;
    platform::ProgramRunner& programs_;
    platform::MainQueue& mainQueue_;
    IconDesktopChoices& choices_;
    std::function<void()> changed_;
    // Asked about in this run (a dialog closed without an answer is not asked again
    // until the next start), and waiting for their question.
    std::set<std::string> asked_;
    std::vector<Pending> pending_;
    bool asking_ = false;
    // Turned off in this run: once is all a run does.
    std::set<std::string> turnedOffThisRun_;
    // A fix or undo of theirs is running: their desktop coming and going is its doing.
    std::set<std::string> busy_;
    platform::WeakAnchor<IconDesktopAdvisor> anchor_{this};
};
