#include "viewsite/DataJob.h"

#include "platform/AtomicFileReplacement.h"
#include "platform/Log.h"
#include "shared/ControlCharacterEscape.h"
#include "viewsite/ResponsePolicy.h"

#include <libsoup/soup.h>

#include <charconv>
#include <fstream>
#include <sstream>

namespace viewsite {

using platform::gtk::adoptGObject;
using platform::gtk::GErrorPtr;
using platform::gtk::GObjectPtr;

namespace {

nlohmann::json readJsonFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return nlohmann::json::parse(text.str(), nullptr, false);
}

std::string nowIso8601() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

bool marketOpenNow() {
    GTimeZone* zone = g_time_zone_new_identifier("America/New_York");
    if (zone == nullptr) {
        // Without the time-zone database, New York's standard offset is close enough.
        zone = g_time_zone_new_offset(-5 * 60 * 60);
    }
    GDateTime* now = g_date_time_new_now(zone);
    const bool open =
        usMarketOpen(g_date_time_get_day_of_week(now), g_date_time_get_hour(now) * 60 + g_date_time_get_minute(now));
    g_date_time_unref(now);
    g_time_zone_unref(zone);
    return open;
}

std::optional<std::chrono::seconds> retryAfterOf(SoupMessage* message) {
    const char* value = soup_message_headers_get_one(soup_message_get_response_headers(message), "Retry-After");
    if (value == nullptr) {
        return std::nullopt;
    }
    const std::string_view text(value);
    long seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error == std::errc() && end == text.data() + text.size() && seconds >= 0) {
        return std::chrono::seconds(seconds);
    }
    if (const auto when = parseHttpDate(text)) {
        return std::chrono::seconds(std::max<long>(0, static_cast<long>(*when - std::time(nullptr))));
    }
    return std::nullopt;
}

// One request in flight: the message, a deadline for the whole answer, and what to do
// with the result.
struct Request {
    GObjectPtr<SoupMessage> message;
    GObjectPtr<GCancellable> cancellable;
    guint deadline = 0;
    std::function<void(DataJob::Answer)> done;
};

}  // namespace

DataJob::DataJob(const SiteOptions& options, std::filesystem::path shippedData)
    : options_(options),
      shippedData_(std::move(shippedData)),
      session_(adoptGObject(soup_session_new_with_options(
          "timeout", static_cast<guint>(options.upstreamTimeout.count()), "user-agent",
          (std::string(serviceName) + "/1").c_str(), "max-conns-per-host", 2, nullptr))) {}

DataJob::~DataJob() {
    if (timer_ != 0) {
        g_source_remove(timer_);
    }
    soup_session_abort(session_.get());
}

void DataJob::start() { schedule(options_.firstRunDelay); }

void DataJob::schedule(std::chrono::seconds delay) {
    timer_ = g_timeout_add_seconds(
        static_cast<guint>(delay.count()),
        [](gpointer self) -> gboolean {
            auto* job = static_cast<DataJob*>(self);
            job->timer_ = 0;
            job->runOnce();
            return G_SOURCE_REMOVE;
        },
        this);
}

void DataJob::fetch(const std::string& url, std::function<void(Answer)> done) {
    auto* request = new Request;
    request->done = std::move(done);
    request->message = adoptGObject(soup_message_new("GET", url.c_str()));
    if (!request->message) {
        Answer answer;
        answer.error = "not a valid address: " + url;
        auto finish = std::move(request->done);
        delete request;
        finish(std::move(answer));
        return;
    }
    request->cancellable = adoptGObject(g_cancellable_new());
    // The session's timeout covers a silent upstream; this covers one that trickles.
    request->deadline = g_timeout_add_seconds(
        static_cast<guint>(std::max<long>(1, options_.upstreamTimeout.count())),
        [](gpointer data) -> gboolean {
            auto* pending = static_cast<Request*>(data);
            pending->deadline = 0;
            g_cancellable_cancel(pending->cancellable.get());
            return G_SOURCE_REMOVE;
        },
        request);
    soup_session_send_and_read_async(
        session_.get(), request->message.get(), G_PRIORITY_DEFAULT, request->cancellable.get(),
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<Request> pending(static_cast<Request*>(data));
            if (pending->deadline != 0) {
                g_source_remove(pending->deadline);
            }
            GError* rawError = nullptr;
            GBytes* bytes = soup_session_send_and_read_finish(SOUP_SESSION(source), result, &rawError);
            GErrorPtr error(rawError);
            Answer answer;
            if (bytes != nullptr) {
                gsize size = 0;
                const auto* data_ = static_cast<const char*>(g_bytes_get_data(bytes, &size));
                answer.body.assign(data_ != nullptr ? data_ : "", size);
                answer.status = static_cast<int>(soup_message_get_status(pending->message.get()));
                answer.retryAfter = retryAfterOf(pending->message.get());
                g_bytes_unref(bytes);
            } else {
                answer.error = g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED)
                                   ? std::string("no complete answer in time")
                                   : std::string(error ? error->message : "no answer");
            }
            pending->done(std::move(answer));
        },
        request);
}

bool DataJob::write(const std::string& name, const char* globalName, const nlohmann::json& document) {
    std::error_code error;
    std::filesystem::create_directories(options_.dataOverlay, error);
    // The JSON file first: the page re-reads it, and its script twin only serves the
    // first paint; each is whole on its own.
    return platform::replaceFileAtomically(options_.dataOverlay / (name + ".json"), document.dump() + "\n") &&
           platform::replaceFileAtomically(options_.dataOverlay / (name + ".js"), scriptFor(globalName, document));
}

void DataJob::noteFailure(const Answer& answer) {
    failed_ = true;
    if (answer.retryAfter && (!retryAfter_ || *answer.retryAfter > *retryAfter_)) {
        retryAfter_ = answer.retryAfter;
    }
}

void DataJob::runOnce() {
    failed_ = false;
    retryAfter_.reset();
    const auto members = companiesOf(readJsonFile(shippedData_ / "sp500.json"));
    fetch(options_.screenerURL, [this, members](const Answer& answer) {
        const Refreshed heatmap = answer.status != 0
                                      ? heatmapFromScreener(answer.status, answer.body, members, nowIso8601())
                                      : Refreshed{false, answer.error, {}};
        if (heatmap.ok && write("sp500", "TAVELO_SP500", heatmap.document)) {
            platform::systemLog("✅ View site data: S&P 500 refreshed (" +
                                std::to_string(heatmap.document["companies"].size()) + " companies)");
        } else {
            noteFailure(answer);
            platform::systemLog("⚠️ View site data: S&P 500 kept its last data: " +
                                escapeControlCharacters(heatmap.ok ? "cannot write the data folder" : heatmap.error));
        }
        indices_ = indicesOf(readJsonFile(shippedData_ / "indices.json"));
        histories_.clear();
        fetchNextHistory();
    });
}

void DataJob::fetchNextHistory() {
    if (histories_.size() == indices_.size()) {
        const Refreshed indices = indicesFromHistories(indices_, histories_, nowIso8601());
        if (indices.ok && write("indices", "TAVELO_INDICES", indices.document)) {
            platform::systemLog("✅ View site data: indices refreshed (" + std::to_string(indices_.size()) + " series)");
        } else {
            failed_ = true;
            platform::systemLog("⚠️ View site data: indices kept their last data: " +
                                escapeControlCharacters(indices.ok ? "cannot write the data folder" : indices.error));
        }
        finishRun();
        return;
    }
    const IndexSeries& next = indices_[histories_.size()];
    fetch(historyURLFor(options_.historyURL, next.symbol), [this](const Answer& answer) {
        auto closes = closesFromCsv(answer.status, answer.body);
        if (closes.size() < 2) {
            noteFailure(answer);
            // One missing history makes the set partial: stop asking, keep the old file.
            platform::systemLog("⚠️ View site data: indices kept their last data: " +
                                escapeControlCharacters(
                                    answer.status != 0 ? "no usable history for " + indices_[histories_.size()].symbol +
                                                             " (HTTP status " + std::to_string(answer.status) + ")"
                                                       : answer.error));
            finishRun();
            return;
        }
        histories_.push_back(std::move(closes));
        fetchNextHistory();
    });
}

void DataJob::finishRun() { schedule(nextRefreshDelay(options_.intervals, marketOpenNow(), failed_, retryAfter_)); }

}  // namespace viewsite
