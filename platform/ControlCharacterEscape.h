#pragma once

#include <string>
#include <string_view>

// Text from outside (a settings file, say) that goes into a log line: every control
// character is written as an escape ("\n", "\t", "\u001b", ...), so one event stays
// one line and nothing can forge a second one or drive a terminal. Other text,
// backslashes included, is left as it is.
std::string escapeControlCharacters(std::string_view text);
