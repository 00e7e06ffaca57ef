#include "platform/gtk/OwnViewSite.h"

#include "platform/gtk/GObjectPtr.h"
#include "platform/linux/ViewSiteLauncher.h"

#include <gio/gio.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace platform::gtk {

namespace {

// Runs `work` on one of GLib's worker threads and `done` with its result on the main
// loop. The work gets copies of everything it needs: it touches nothing shared.
template <class Result>
void runOffTheMainLoop(std::function<Result()> work, std::function<void(Result)> done) {
    struct Job {
        std::function<Result()> work;
        std::function<void(Result)> done;
        Result result{};
    };
    auto* job = new Job{std::move(work), std::move(done)};
    auto task = adoptGObject(g_task_new(
        nullptr, nullptr,
        [](GObject*, GAsyncResult*, gpointer data) {
            std::unique_ptr<Job> finished(static_cast<Job*>(data));
            finished->done(std::move(finished->result));
        },
        job));
    g_task_set_task_data(task.get(), job, nullptr);
    g_task_run_in_thread(task.get(), [](GTask* running, gpointer, gpointer data, GCancellable*) {
        auto* working = static_cast<Job*>(data);
        working->result = working->work();
        g_task_return_boolean(running, TRUE);
    });
}

}  // namespace

OwnViewSite::Request::~Request() { OwnViewSite::shared().forget(id_); }

OwnViewSite& OwnViewSite::shared() {
    // Never destroyed: answers from worker threads may arrive until the process ends.
    static auto* site = new OwnViewSite;
    return *site;
}

void OwnViewSite::start(const std::string& origin) {
    discovery_.emplace(origin, viewSiteProgramBesideThisOne());
    if (discovery_->preferredPort() != 0) {
        search();
    }
}

std::unique_ptr<OwnViewSite::Request> OwnViewSite::addressFor(const std::string& url, Answer answer) {
    if (!discovery_ || !discovery_->isBuiltInPage(url)) {
        answer(url);
        return nullptr;
    }
    const std::uint64_t id = nextId_++;
    waiters_.push_back(Waiter{id, url, std::move(answer)});
    search();
    return std::make_unique<Request>(id);
}

std::unique_ptr<OwnViewSite::Request> OwnViewSite::whenSilent(const std::string& url, std::function<void()> silent) {
    const int port = discovery_ ? loopbackPort(discovery_->servingOrigin()) : 0;
    if (port == 0 || !discovery_->isBuiltInPage(url)) {
        return nullptr;
    }
    const std::uint64_t id = nextId_++;
    checks_.push_back(Check{id, std::move(silent)});
    runOffTheMainLoop<bool>([port] { return ownViewSiteAnswersAt(port); },
                            [this, id](bool answers) {
                                const auto check = std::find_if(checks_.begin(), checks_.end(),
                                                                [id](const Check& c) { return c.id == id; });
                                if (check == checks_.end()) {
                                    return;
                                }
                                const auto silentNow = std::move(check->silent);
                                checks_.erase(check);
                                if (!answers) {
                                    silentNow();
                                }
                            });
    return std::make_unique<Request>(id);
}

void OwnViewSite::forget(std::uint64_t id) {
    waiters_.remove_if([id](const Waiter& waiter) { return waiter.id == id; });
    checks_.remove_if([id](const Check& check) { return check.id == id; });
}

void OwnViewSite::search() {
    if (searching_) {
        return;
    }
    searching_ = true;
    act(discovery_->search());
}

void OwnViewSite::act(ViewSiteDiscovery::Step step) {
    using Step = ViewSiteDiscovery::Step;
    const int preferred = discovery_->preferredPort();
    switch (step) {
    case Step::look:
        runOffTheMainLoop<ViewSiteSighting>(
            [preferred] { return lookForOwnViewSite(preferred); },
            [this](ViewSiteSighting sighting) { act(discovery_->looked(sighting, ViewSiteDiscovery::Clock::now())); });
        break;
    case Step::start:
        runOffTheMainLoop<ViewSiteStart>(
            [program = viewSiteProgramBesideThisOne(), preferred] { return startOwnViewSite(program, preferred); },
            [this](ViewSiteStart start) { act(discovery_->startAttempted(start, ViewSiteDiscovery::Clock::now())); });
        break;
    case Step::lookAgainLater:
        g_timeout_add(
            static_cast<guint>(ViewSiteDiscovery::lookInterval.count()),
            [](gpointer) -> gboolean {
                OwnViewSite::shared().act(Step::look);
                return G_SOURCE_REMOVE;
            },
            nullptr);
        break;
    case Step::found:
    case Step::notFound:
        searching_ = false;
        answerWaiters();
        break;
    }
}

// Every page waiting gets the address the search found. An answer may drop other
// requests or ask for new ones: each is looked up again before it is answered.
void OwnViewSite::answerWaiters() {
    std::vector<std::uint64_t> waiting;
    for (const auto& waiter : waiters_) {
        waiting.push_back(waiter.id);
    }
    for (const std::uint64_t id : waiting) {
        const auto waiter =
            std::find_if(waiters_.begin(), waiters_.end(), [id](const Waiter& w) { return w.id == id; });
        if (waiter == waiters_.end()) {
            continue;
        }
        const auto answer = std::move(waiter->answer);
        const std::string address = discovery_->addressFor(waiter->url);
        waiters_.erase(waiter);
        answer(address);
    }
}

}  // namespace platform::gtk
