#include "platform/linux/XdgAutostartLoginItem.h"

#include "platform/AtomicFileWriter.h"
#include "platform/HomeDirectory.h"
#include "platform/ProductNames.h"
#include "platform/linux/ConfigText.h"

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

std::string XdgAutostartLoginItem::execValueFor(const fs::path& program) {
    const std::string path = program.string();
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        if (c == '%') {
            quoted += '%';  // a literal percent sign is doubled in Exec
        }
        quoted += c;
    }
    quoted += '"';
    // In the file the value is itself a string whose backslashes are escaped once more.
    std::string escaped;
    for (char c : quoted) {
        if (c == '\\') {
            escaped += '\\';
        }
        escaped += c;
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

std::string XdgAutostartLoginItem::entryText() const {
    std::ostringstream text;
    text << "[Desktop Entry]\n"
         << "Type=Application\n"
         << "Name=" << product::name << "\n"
         << "Comment=Live market views on your desktop\n"
         << "TryExec=" << tryExecValueFor(launcher_) << "\n"
         << "Exec=" << execValueFor(launcher_) << "\n"
         << "Icon=" << product::programName << "\n"
         << "Terminal=false\n"
         << "X-GNOME-Autostart-enabled=true\n";
    return text.str();
}

std::optional<std::string> XdgAutostartLoginItem::registerItem() {
    if (launcher_.empty()) {
        return "The application's own launcher could not be found.";
    }
    std::error_code error;
    fs::create_directories(entryPath().parent_path(), error);
    if (error) {
        return "Could not create " + entryPath().parent_path().string() + ": " + error.message();
    }
    if (!replaceFileAtomically(entryPath(), entryText())) {
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
