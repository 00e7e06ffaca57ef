#include "platform/ControlCharacterEscape.h"

#include <cstdio>

namespace {

void appendUnicodeEscape(std::string& out, unsigned codePoint) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", codePoint);
    out += escape;
}

}  // namespace

std::string escapeControlCharacters(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        switch (byte) {
        case '\n': out += "\\n"; continue;
        case '\r': out += "\\r"; continue;
        case '\t': out += "\\t"; continue;
        default: break;
        }
        if (byte < 0x20 || byte == 0x7F) {
            appendUnicodeEscape(out, byte);
            continue;
        }
        // C1 controls (U+0080..U+009F, UTF-8 C2 80..C2 9F) include NEL, a line break to some readers.
        if (byte == 0xC2 && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if (next >= 0x80 && next <= 0x9F) {
                appendUnicodeEscape(out, next);
                ++i;
                continue;
            }
        }
        // The line and paragraph separators U+2028 and U+2029 (E2 80 A8 / E2 80 A9).
        if (byte == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80) {
            const auto last = static_cast<unsigned char>(text[i + 2]);
            if (last == 0xA8 || last == 0xA9) {
                appendUnicodeEscape(out, last == 0xA8 ? 0x2028 : 0x2029);
                i += 2;
                continue;
            }
        }
        out += static_cast<char>(byte);
    }
    return out;
}
