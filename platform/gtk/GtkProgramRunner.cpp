#include "platform/gtk/GtkProgramRunner.h"

#include "platform/ControlCharacterEscape.h"
#include "platform/Log.h"
#include "platform/gtk/GObjectPtr.h"

#include <gio/gio.h>

#include <memory>

namespace platform::gtk {

namespace {

// A subprocess of `arguments`, or null (and one line saying why) when it cannot start.
GObjectPtr<GSubprocess> startSubprocess(const std::vector<std::string>& arguments, const WebEngineTuning& engine,
                                        GSubprocessFlags flags) {
    if (arguments.empty()) {
        return {};
    }
    std::vector<const gchar*> argv;
    argv.reserve(arguments.size() + 1);
    for (const auto& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    argv.push_back(nullptr);
    const auto launcher = adoptGObject(g_subprocess_launcher_new(flags));
    const auto environment = engine.environmentForOtherPrograms();
    g_subprocess_launcher_set_environ(launcher.get(), environment.get());
    GError* rawError = nullptr;
    auto process = adoptGObject(g_subprocess_launcher_spawnv(launcher.get(), argv.data(), &rawError));
    if (!process) {
        GErrorPtr error(rawError);
        systemLog("⚠️ Cannot start " + escapeControlCharacters(arguments.front()) + ": " +
                  escapeControlCharacters(error ? error->message : "no reason given"));
    }
    return process;
}

struct PendingRun {
    std::function<void(const ProgramOutcome&)> finished;
};

void onCommunicated(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<PendingRun> pending(static_cast<PendingRun*>(data));
    auto* process = G_SUBPROCESS(source);
    gchar* rawOutput = nullptr;
    GError* rawError = nullptr;
    ProgramOutcome outcome{true, -1, ""};
    if (g_subprocess_communicate_utf8_finish(process, result, &rawOutput, nullptr, &rawError) != FALSE) {
        GCharsPtr output(rawOutput);
        outcome.output = output ? output.get() : "";
        outcome.exitStatus = g_subprocess_get_if_exited(process) != FALSE ? g_subprocess_get_exit_status(process) : -1;
    } else {
        GErrorPtr error(rawError);
    }
    pending->finished(outcome);
}

}  // namespace

void GtkProgramRunner::run(const std::vector<std::string>& arguments,
                           std::function<void(const ProgramOutcome&)> finished) {
    const auto process = startSubprocess(
        arguments, engine_,
        static_cast<GSubprocessFlags>(G_SUBPROCESS_FLAGS_STDOUT_PIPE | G_SUBPROCESS_FLAGS_STDERR_SILENCE));
    if (!process) {
        finished(ProgramOutcome{});
        return;
    }
    // The subprocess is held by the call until it has ended and been read.
    g_subprocess_communicate_utf8_async(process.get(), nullptr, nullptr, &onCommunicated,
                                        new PendingRun{std::move(finished)});
}

bool GtkProgramRunner::launch(const std::vector<std::string>& arguments) {
    // GIO reaps it whenever it ends; nothing here waits for it. What it prints is its
    // own: in our log it would break our lines (xfdesktop --quit warns without a newline).
    return static_cast<bool>(startSubprocess(
        arguments, engine_,
        static_cast<GSubprocessFlags>(G_SUBPROCESS_FLAGS_STDOUT_SILENCE | G_SUBPROCESS_FLAGS_STDERR_SILENCE)));
}

}  // namespace platform::gtk
