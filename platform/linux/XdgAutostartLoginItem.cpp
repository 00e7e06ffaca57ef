#include "platform/linux/XdgAutostartLoginItem.h"

#include "platform/AtomicFileReplacement.h"
#include "platform/ControlCharacterEscape.h"
#include "platform/HomeDirectory.h"
#include "platform/Log.h"
#include "platform/ProductNames.h"
#include "platform/linux/Trimmed.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

namespace platform {

namespace fs = std::filesystem;

namespace {

fs::path configHome() {
    if (const char* value = std::getenv("XDG_CONFIG_HOME"); value != nullptr && value[0] == '/') {
        return value;
    }
    return homeDirectoryForCurrentUser() / ".config";
}

bool validUtf8(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = 0;
        unsigned codePoint = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            codePoint = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            codePoint = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            codePoint = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past Unicode are not UTF-8.
        static constexpr unsigned smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (codePoint < smallest[length] || (codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem(std::string entryName, fs::path launcher)
    : entryName_(std::move(entryName)), launcher_(std::move(launcher)) {}

fs::path XdgAutostartLoginItem::entryPath() const { return configHome() / "autostart" / (entryName_ + ".desktop"); }

LoginItemStatus XdgAutostartLoginItem::status() const {
    std::ifstream entry(entryPath());
    if (!entry) {
        return LoginItemStatus::notRegistered;
    }
    // An entry switched off by the desktop's own settings counts as not registered.
    std::string line;
    while (std::getline(entry, line)) {
        const auto equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        const std::string key = trimmed(line.substr(0, equals));
        const std::string value = trimmed(line.substr(equals + 1));
        if ((key == "Hidden" && value == "true") || (key == "X-GNOME-Autostart-enabled" && value == "false")) {
            return LoginItemStatus::notRegistered;
        }
    }
    return LoginItemStatus::enabled;
}

std::optional<std::string> XdgAutostartLoginItem::execValueFor(const fs::path& program) {
    const std::string path = program.string();
    if (!validUtf8(path)) {
        return std::nullopt;
    }
    // First the Exec level: one argument in double quotes, inside which a quote,
    // backquote, dollar sign and backslash take a backslash; a literal percent
    // sign is doubled.
    std::string quoted = "\"";
    for (char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\n' && c != '\t' && c != '\r') || byte == 0x7f) {
            return std::nullopt;
        }
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        if (c == '%') {
            quoted += '%';
        }
        quoted += c;
    }
    quoted += '"';
    // Then the file level: the value is a string, whose backslashes are escaped
    // once more and whose line breaks and tabs are written as escapes, so that
    // no path can end the line and start a key of its own.
    std::string escaped;
    for (char c : quoted) {
        switch (c) {
        case '\\': escaped += "\\\\"; break;
        case '\n': escaped += "\\n"; break;
        case '\t': escaped += "\\t"; break;
        case '\r': escaped += "\\r"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::string XdgAutostartLoginItem::tryExecValueFor(const fs::path& program) {
    std::string value;
    for (char c : program.string()) {
        switch (c) {
        case '\\': value += "\\\\"; break;
        case '\n': value += "\\n"; break;
        case '\t': value += "\\t"; break;
        case '\r': value += "\\r"; break;
        default: value += c;
        }
    }
    return value;
}

std::optional<std::string> XdgAutostartLoginItem::entryText() const {
    const auto exec = execValueFor(launcher_);
    if (!exec) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << "[Desktop Entry]\n"
         << "Type=Application\n"
         << "Name=" << product::name << "\n"
         << "Comment=Live market views on your desktop\n"
         << "TryExec=" << tryExecValueFor(launcher_) << "\n"
         << "Exec=" << *exec << "\n"
         << "Icon=" << product::programName << "\n"
         << "Terminal=false\n"
         << "X-GNOME-Autostart-enabled=true\n";
    return text.str();
}

std::optional<std::string> XdgAutostartLoginItem::registerItem() {
    if (launcher_.empty()) {
        return "The application's own launcher could not be found.";
    }
    const auto text = entryText();
    if (!text) {
        const std::string reason = "The launcher's path " + escapeControlCharacters(launcher_.string()) +
                                   " cannot be written into a desktop entry.";
        systemLog("❌ Not starting at login: " + reason);
        return reason;
    }
    std::error_code error;
    fs::create_directories(entryPath().parent_path(), error);
    if (error) {
        return "Could not create " + entryPath().parent_path().string() + ": " + error.message();
    }
    if (!replaceFileAtomically(entryPath(), *text)) {
        return "Could not write " + entryPath().string() + ": " + std::strerror(errno);
    }
    return std::nullopt;
}

std::optional<std::string> XdgAutostartLoginItem::unregisterItem() {
    std::error_code error;
    fs::remove(entryPath(), error);
    if (error) {
        return "Could not remove " + entryPath().string() + ": " + error.message();
    }
    return std::nullopt;
}

}  // namespace platform
