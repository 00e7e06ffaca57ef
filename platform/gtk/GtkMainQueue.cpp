#include "platform/gtk/GtkMainQueue.h"

#include <glib.h>

#include <cmath>
#include <memory>

namespace platform::gtk {

namespace {

guint milliseconds(double seconds) { return static_cast<guint>(std::lround(std::max(0.0, seconds) * 1000.0)); }

struct OneShot {
    std::function<void()> block;
};

gboolean runOneShot(gpointer data) {
    static_cast<OneShot*>(data)->block();
    return G_SOURCE_REMOVE;
}

void deleteOneShot(gpointer data) { delete static_cast<OneShot*>(data); }

class GLibTimer : public Timer {
public:
    GLibTimer(double interval, bool repeats, std::function<void()> block)
        : state_(std::make_shared<State>(State{std::move(block), repeats, 0})) {
        auto* holder = new std::shared_ptr<State>(state_);
        state_->source = g_timeout_add_full(G_PRIORITY_DEFAULT, milliseconds(interval), &GLibTimer::fire, holder,
                                            &GLibTimer::release);
    }
    ~GLibTimer() override { invalidate(); }

    void invalidate() override {
        if (state_->source != 0) {
            g_source_remove(state_->source);
            state_->source = 0;
        }
    }

private:
    struct State {
        std::function<void()> block;
        bool repeats;
        guint source;
    };

    static gboolean fire(gpointer data) {
        auto state = *static_cast<std::shared_ptr<State>*>(data);
        if (!state->repeats) {
            state->source = 0;  // the source ends with this firing
        }
        auto block = state->block;  // the block may invalidate (and so free) the timer
        block();
        return state->repeats && state->source != 0 ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
    }
    static void release(gpointer data) { delete static_cast<std::shared_ptr<State>*>(data); }

    std::shared_ptr<State> state_;
};

}  // namespace

void GtkMainQueue::asyncAfter(double seconds, std::function<void()> block) {
    g_timeout_add_full(G_PRIORITY_DEFAULT, milliseconds(seconds), runOneShot, new OneShot{std::move(block)},
                       deleteOneShot);
}

std::unique_ptr<Timer> GtkMainQueue::scheduledTimer(double interval, bool repeats, std::function<void()> block) {
    return std::make_unique<GLibTimer>(interval, repeats, std::move(block));
}

}  // namespace platform::gtk
