// tavelo-live-wallpaper-site: the view site as a program of its own. It serves the
// site's pages on one address and refreshes their market data on a schedule. The
// application and the screen-saver host start it on loopback when it is not already
// running; a public deployment runs it behind a web server that terminates HTTPS.

#include "platform/ControlCharacterEscape.h"
#include "platform/Log.h"
#include "platform/ProductNames.h"
#include "platform/linux/ExecutablePath.h"
#include "viewsite/DataJob.h"
#include "viewsite/SiteAddressClaim.h"
#include "viewsite/SiteOptions.h"
#include "viewsite/SiteServer.h"
#include "viewsite/SourceCheck.h"

#include <glib-unix.h>
#include <glib.h>
#include <sys/resource.h>

#include <sys/stat.h>
#include <algorithm>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

#ifndef TAVELO_SITE_FROM_BIN
#error "TAVELO_SITE_FROM_BIN must be defined by the build"
#endif

fs::path xdgFolder(const char* variable, const char* fallbackUnderHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        return value;
    }
    // Without HOME, the account's own home folder: never a folder others may write to,
    // where someone else's site.json could send the data job to their server.
    return fs::path(g_get_home_dir()) / fallbackUnderHome;
}

// The site's pages: beside the program in the build tree (build/bin + build/site),
// or where the installed layout puts them.
fs::path shippedSite() {
    const fs::path folder = platform::runningExecutablePath().parent_path();
    for (const fs::path& candidate : {folder.parent_path() / "site", folder / TAVELO_SITE_FROM_BIN,
                                      folder.parent_path() / "lib" / product::programName / "site"}) {
        std::error_code error;
        if (fs::is_regular_file(candidate / "view.html", error)) {
            return candidate.lexically_normal();
        }
    }
    return {};
}

viewsite::SiteOptions defaults() {
    viewsite::SiteOptions options;
    options.root = shippedSite();
    options.dataOverlay = xdgFolder("XDG_CACHE_HOME", ".cache") / product::programName / "site-data";
    options.configFile = xdgFolder("XDG_CONFIG_HOME", ".config") / product::programName / "site.json";
    return options;
}

// Descriptors for every connection the limits allow, and some to spare for the files
// it serves and the data job: the soft limit is raised as far as the hard one lets,
// and the connection limit is kept under it, so the site never runs out and goes deaf.
void fitConnectionsToDescriptors(viewsite::ConnectionLimits& limits) {
    constexpr rlim_t spare = 64;
    rlimit descriptors{};
    if (::getrlimit(RLIMIT_NOFILE, &descriptors) != 0) {
        return;
    }
    if (descriptors.rlim_cur < descriptors.rlim_max) {
        descriptors.rlim_cur = descriptors.rlim_max;
        (void)::setrlimit(RLIMIT_NOFILE, &descriptors);
        (void)::getrlimit(RLIMIT_NOFILE, &descriptors);
    }
    if (descriptors.rlim_cur != RLIM_INFINITY && descriptors.rlim_cur > spare * 2) {
        limits.total = std::min<std::size_t>(limits.total, descriptors.rlim_cur - spare);
    }
}

int fail(const std::string& reason) {
    platform::systemLog("❌ View site: " + reason);
    return 1;
}

// The site lives by its requests (the idle exit), not by the login or D-Bus session
// that happened to start it: GIO's shared bus connection ends its process when the bus
// goes, so the site never connects to a session bus or a display.
void leaveTheStartingSession() {
    for (const char* variable : {"DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY"}) {
        g_unsetenv(variable);
    }
}

enum class ConfigState { applied, absent, unusable };

// Reads the data job's settings. A file that is missing leaves the built-in sources; one
// that exists but cannot be read or understood is never passed over in silence, since
// whoever wrote it meant the job to ask other sources than the built-in ones.
ConfigState readSiteConfig(viewsite::SiteOptions& options) {
    const std::string shown = escapeControlCharacters(options.configFile.string());
    struct stat facts {};
    if (stat(options.configFile.c_str(), &facts) != 0) {
        const int error = errno;
        if (error == ENOENT) {
            platform::systemLog("⚠️ View site data: no settings at " + shown + "; asking the built-in sources");
            return ConfigState::absent;
        }
        platform::systemLog("❌ View site data: cannot read " + shown + ": " + std::strerror(error));
        return ConfigState::unusable;
    }
    std::ifstream config(options.configFile);
    std::stringstream text;
    text << config.rdbuf();
    if (!config || !S_ISREG(facts.st_mode)) {
        platform::systemLog("❌ View site data: cannot read " + shown);
        return ConfigState::unusable;
    }
    if (const auto problem = viewsite::applySiteConfig(text.str(), options)) {
        platform::systemLog("❌ View site data: " + shown + " is not usable: " + *problem);
        return ConfigState::unusable;
    }
    if ((facts.st_mode & (S_IRWXG | S_IRWXO)) != 0 && (!options.fmpApiKey.empty() || !options.stooqApiKey.empty())) {
        // A key is the user's own: kept only in a file no one else can read.
        options.fmpApiKey.clear();
        options.stooqApiKey.clear();
        platform::systemLog("⚠️ View site data: " + shown +
                            " holds keys but others may read it; keys not used until it is chmod 600");
    }
    return ConfigState::applied;
}

}  // namespace

int main(int argc, char** argv) {
    leaveTheStartingSession();
    std::signal(SIGPIPE, SIG_IGN);
    // GLib names the program in its warnings; the tests' CRITICAL gate looks for this name.
    g_set_prgname(product::siteProgramName);
    const viewsite::SiteOptions builtIn = defaults();
    auto parsed = viewsite::parseSiteOptions(std::vector<std::string>(argv + 1, argv + argc), builtIn);
    if (!parsed.options) {
        std::fputs(viewsite::siteUsage, stderr);
        return fail(parsed.error);
    }
    viewsite::SiteOptions& options = *parsed.options;
    if (options.help) {
        std::fputs(viewsite::siteUsage, stdout);
        return 0;
    }
    const bool configNamed = options.configFile != builtIn.configFile;
    if (options.dataJob || options.checkSources) {
        const ConfigState config = readSiteConfig(options);
        if (config == ConfigState::unusable || (config == ConfigState::absent && configNamed)) {
            if (configNamed || options.checkSources) {
                // Named on the command line: a caller that wants these sources and no others.
                return fail("the data job's settings in " + escapeControlCharacters(options.configFile.string()) +
                            " cannot be used");
            }
            platform::systemLog("⚠️ View site data: the data job stays off; the pages show their last data");
            options.dataJob = false;
        }
    }
    std::error_code error;
    if (options.root.empty() || !fs::is_regular_file(options.root / "view.html", error)) {
        return fail("no site pages at " + (options.root.empty() ? std::string("the installed place")
                                                                : escapeControlCharacters(options.root.string())));
    }
    options.root = fs::canonical(options.root, error);
    if (options.checkSources) {
        return viewsite::checkSources(options, options.root / "data");
    }
    fitConnectionsToDescriptors(options.limits);

    viewsite::SiteServer server(viewsite::SiteFiles(options.root, options.dataOverlay), TAVELO_VERSION, options.limits);
    viewsite::SiteAddressClaim claim;
    if (const auto status = claim.claim(server, options)) {
        return *status;
    }

    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    const auto quit = [](gpointer data) -> gboolean {
        g_main_loop_quit(static_cast<GMainLoop*>(data));
        return G_SOURCE_REMOVE;
    };
    g_unix_signal_add(SIGTERM, quit, loop);
    g_unix_signal_add(SIGINT, quit, loop);

    struct IdleWatch {
        const viewsite::SiteServer* server;
        std::chrono::seconds limit;
        GMainLoop* loop;
    } idle{&server, options.idleExit, loop};
    if (options.idleExit.count() > 0) {
        g_timeout_add_seconds(
            static_cast<guint>(std::min<long>(60, options.idleExit.count())),
            [](gpointer data) -> gboolean {
                auto* watch = static_cast<IdleWatch*>(data);
                if (std::chrono::steady_clock::now() - watch->server->lastRequest() >= watch->limit) {
                    platform::systemLog("🛑 View site: no request for a long time, ending");
                    g_main_loop_quit(watch->loop);
                    return G_SOURCE_REMOVE;
                }
                return G_SOURCE_CONTINUE;
            },
            &idle);
    }

    std::unique_ptr<viewsite::DataJob> job;
    if (options.dataJob) {
        job = std::make_unique<viewsite::DataJob>(options, options.root / "data");
        job->start();
    }
    g_main_loop_run(loop);
    job.reset();
    g_main_loop_unref(loop);
    platform::systemLog("🛑 View site stopped");
    return 0;
}
