#include "host/HostOptions.h"

#include "platform/ControlCharacterEscape.h"

#include <cerrno>
#include <cstdlib>

namespace host {

std::optional<std::uint64_t> parseWindowID(const std::string& text) {
    if (text.empty() || text.front() == '-' || text.front() == '+' || text.front() == ' ') {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    // X window ids are 29-bit numbers; zero is no window.
    if (errno != 0 || end == text.c_str() || *end != '\0' || value == 0 || value > 0x1FFFFFFFull) {
        return std::nullopt;
    }
    return value;
}

HostOptionsResult parseHostOptions(const std::vector<std::string>& arguments, const char* xscreensaverWindow) {
    HostOptions options;
    bool root = false;
    std::optional<std::string> windowArgument;

    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto valueOf = [&](const std::string& name) -> std::optional<std::string> {
            if (argument == name) {
                if (i + 1 < arguments.size()) {
                    return arguments[++i];
                }
                return std::string();
            }
            if (argument.rfind(name + "=", 0) == 0) {
                return argument.substr(name.size() + 1);
            }
            return std::nullopt;
        };
        if (argument == "-root" || argument == "--root") {
            root = true;
        } else if (argument == "-h" || argument == "-help" || argument == "--help") {
            options.help = true;
        } else if (auto value = valueOf("-window-id"); value) {
            windowArgument = *value;
        } else if (auto value = valueOf("--window-id"); value) {
            windowArgument = *value;
        } else if (auto value = valueOf("-saver"); value) {
            options.saverPath = *value;
        } else if (auto value = valueOf("--saver"); value) {
            options.saverPath = *value;
        } else {
            return {std::nullopt, "Unknown option: " + escapeControlCharacters(argument)};
        }
    }

    if (options.saverPath && options.saverPath->empty()) {
        return {std::nullopt, "--saver needs the path of a .saver bundle"};
    }
    if (windowArgument) {
        const auto id = parseWindowID(*windowArgument);
        if (!id) {
            return {std::nullopt, "Bad window id: \"" + escapeControlCharacters(*windowArgument) + "\""};
        }
        options.target = TargetKind::windowID;
        options.windowID = *id;
    } else if (root) {
        if (xscreensaverWindow != nullptr && *xscreensaverWindow != '\0') {
            const auto id = parseWindowID(xscreensaverWindow);
            if (!id) {
                return {std::nullopt, "Bad window id in XSCREENSAVER_WINDOW: \"" +
                                          escapeControlCharacters(xscreensaverWindow) + "\""};
            }
            options.target = TargetKind::windowID;
            options.windowID = *id;
        } else {
            options.target = TargetKind::rootWindow;
        }
    }
    return {options, {}};
}

bool wantsForeignWindow(const std::vector<std::string>& arguments, const char* xscreensaverWindow) {
    const auto result = parseHostOptions(arguments, xscreensaverWindow);
    return result.options && result.options->target != TargetKind::ownWindow;
}

}  // namespace host
