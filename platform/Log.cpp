#include "platform/Log.h"

#include <sys/syscall.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

namespace platform {
namespace {

std::mutex& sinkMutex() {
    static std::mutex mutex;
    return mutex;
}

LogSink& currentSink() {
    static LogSink sink;
    return sink;
}

std::string timestamp() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    char withMillis[48];
    std::snprintf(withMillis, sizeof withMillis, "%s.%03d", text, static_cast<int>(millis));
    return withMillis;
}

void writeToStandardErrorAndJournal(std::string_view text) {
    const std::string line = timestamp() + " " + program_invocation_short_name + "[" + std::to_string(getpid()) + ":" +
                             std::to_string(syscall(SYS_gettid)) + "] " + std::string(text) + "\n";
    // One write call so that lines of concurrent processes never interleave.
    (void)!::write(STDERR_FILENO, line.data(), line.size());
    sd_journal_send("MESSAGE=%.*s", static_cast<int>(text.size()), text.data(), "SYSLOG_IDENTIFIER=%s",
                    program_invocation_short_name, nullptr);
}

}  // namespace

void systemLog(std::string_view text) {
    LogSink sink;
    {
        std::lock_guard lock(sinkMutex());
        sink = currentSink();
    }
    if (sink) {
        sink(text);
    } else {
        writeToStandardErrorAndJournal(text);
    }
}

void setLogSink(LogSink sink) {
    std::lock_guard lock(sinkMutex());
    currentSink() = std::move(sink);
}

}  // namespace platform
