#pragma once

#include <functional>
#include <string_view>

namespace platform {

// The one way the system writes an event: one line, exact text.
// The default sink writes to standard error (with a time and process prefix
// before the text) and to the journal.
void systemLog(std::string_view text);

using LogSink = std::function<void(std::string_view)>;

// Replaces where log lines go (tests record them); an empty sink restores the default.
void setLogSink(LogSink sink);

}  // namespace platform
