#include "app/IconDesktopChoices.h"

#include "platform/AtomicFileReplacement.h"
#include "platform/ControlCharacterEscape.h"
#include "platform/HomeDirectory.h"
#include "platform/Log.h"
#include "shared/BoundedFile.h"
#include "shared/SettingsFileLocation.h"

#include <nlohmann/json.hpp>

#include <system_error>

namespace {

constexpr const char* fileName = "icon-desktops.json";

std::optional<IconDesktopChoices::Choice> choiceFromJSON(const nlohmann::json& entry) {
    if (!entry.is_object()) {
        return std::nullopt;
    }
    IconDesktopChoices::Choice choice;
    const auto kind = entry.find("choice");
    if (kind == entry.end() || !kind->is_string()) {
        return std::nullopt;
    }
    if (*kind == "turnedOff") {
        choice.kind = IconDesktopChoices::Choice::Kind::turnedOff;
    } else if (*kind != "keep") {
        return std::nullopt;
    }
    if (const auto previous = entry.find("previous"); previous != entry.end() && previous->is_string()) {
        choice.previous = previous->get<std::string>();
    }
    if (const auto restart = entry.find("restart"); restart != entry.end() && restart->is_array()) {
        for (const auto& argument : *restart) {
            if (!argument.is_string()) {
                return std::nullopt;
            }
            choice.restart.push_back(argument.get<std::string>());
        }
    }
    return choice;
}

}  // namespace

IconDesktopChoices::IconDesktopChoices(std::filesystem::path file) : file_(std::move(file)) {
    const BoundedRead read = readBoundedFileTelling(file_);
    if (read.outcome != BoundedRead::Outcome::read) {
        return;
    }
    const auto document = nlohmann::json::parse(read.bytes, nullptr, /*allow_exceptions=*/false);
    if (!document.is_object()) {
        // Asked again rather than guessed: the next answer writes a good file.
        platform::systemLog("⚠️ Icon desktops: " + escapeControlCharacters(file_.string()) +
                            " is not a JSON object; its choices are not used");
        return;
    }
    for (const auto& [program, entry] : document.items()) {
        if (auto choice = choiceFromJSON(entry)) {
            choices_[program] = std::move(*choice);
        }
    }
}

std::filesystem::path IconDesktopChoices::defaultFile() {
    return platform::homeDirectoryForCurrentUser() / settingsFileRelativePath.parent_path() / fileName;
}

std::optional<IconDesktopChoices::Choice> IconDesktopChoices::choiceFor(const std::string& program) const {
    const auto found = choices_.find(program);
    if (found == choices_.end()) {
        return std::nullopt;
    }
    return found->second;
}

void IconDesktopChoices::remember(const std::string& program, const Choice& choice) {
    choices_[program] = choice;
    save();
}

std::vector<std::string> IconDesktopChoices::turnedOff() const {
    std::vector<std::string> programs;
    for (const auto& [program, choice] : choices_) {
        if (choice.kind == Choice::Kind::turnedOff) {
            programs.push_back(program);
        }
    }
    return programs;
}

void IconDesktopChoices::save() const {
    nlohmann::json document = nlohmann::json::object();
    for (const auto& [program, choice] : choices_) {
        nlohmann::json entry = {{"choice", choice.kind == Choice::Kind::turnedOff ? "turnedOff" : "keep"}};
        if (!choice.previous.empty()) {
            entry["previous"] = choice.previous;
        }
        if (!choice.restart.empty()) {
            entry["restart"] = choice.restart;
        }
        document[program] = std::move(entry);
    }
    std::error_code ignored;
    std::filesystem::create_directories(file_.parent_path(), ignored);
    std::error_code failure;
    const std::string text = document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    if (!platform::replaceFileAtomically(file_, text, &failure)) {
        platform::systemLog("❌ Icon desktops: cannot save " + escapeControlCharacters(file_.string()) + ": " +
                            failure.message() + "; the choice holds until quit");
    }
}
