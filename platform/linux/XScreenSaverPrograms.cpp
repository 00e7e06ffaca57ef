#include "platform/linux/XScreenSaverPrograms.h"

#include "platform/AtomicFileReplacement.h"
#include "platform/HomeDirectory.h"
#include "platform/linux/Trimmed.h"

#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <system_error>
#include <vector>

namespace platform {

namespace {

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find('\n', start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool continues(const std::string& line) {
    const auto text = rightTrimmed(line);
    return !text.empty() && text.back() == '\\';
}

// Runs of blanks as one space, so that alignment never hides a match.
std::string normalisedCommand(std::string_view command) {
    std::istringstream words{std::string(command)};
    std::string word;
    std::string result;
    while (words >> word) {
        result += (result.empty() ? "" : " ") + word;
    }
    return result;
}

struct ProgramsBlock {
    std::size_t first;      // the "programs:" line
    std::size_t last;       // the line that ends the list
    std::string value;      // the list with continuations joined
    std::size_t keyLength;  // of "programs:" on the first line
};

std::optional<ProgramsBlock> findProgramsBlock(const std::vector<std::string>& lines) {
    static const std::regex key(R"(^\s*\*?programs\s*:)");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::smatch match;
        if (!std::regex_search(lines[i], match, key)) {
            continue;
        }
        ProgramsBlock block{i, i, {}, static_cast<std::size_t>(match.length())};
        std::string part = lines[i].substr(static_cast<std::size_t>(match.length()));
        for (;;) {
            const bool more = continues(part);
            if (more) {
                part = rightTrimmed(part);
                part.pop_back();
            }
            block.value += part;
            if (!more || block.last + 1 >= lines.size()) {
                break;
            }
            part = lines[++block.last];
        }
        return block;
    }
    return std::nullopt;
}

struct ListEntry {
    std::string command;  // blanks normalised
    bool disabled;        // a leading "-": kept in the list but never run at random
};

// The list's entries, "[-] [visual:] ["label"] command", in the order XScreenSaver
// numbers them for "selected:".
std::vector<ListEntry> listEntries(const std::string& value) {
    static const std::regex visual(R"(^[A-Za-z0-9_-]+:\s)");
    std::vector<ListEntry> entries;
    std::size_t start = 0;
    for (;;) {
        const auto end = value.find("\\n", start);
        std::string entry = trimmed(value.substr(start, end == std::string::npos ? std::string::npos : end - start));
        bool disabled = false;
        if (!entry.empty() && entry.front() == '-') {
            disabled = true;
            entry = trimmed(entry.substr(1));
        }
        std::smatch match;
        if (std::regex_search(entry, match, visual)) {
            entry = trimmed(entry.substr(static_cast<std::size_t>(match.length())));
        }
        if (!entry.empty() && entry.front() == '"') {
            const auto close = entry.find('"', 1);
            entry = close == std::string::npos ? std::string() : trimmed(entry.substr(close + 1));
        }
        if (!entry.empty()) {
            entries.push_back({normalisedCommand(entry), disabled});
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 2;
    }
    return entries;
}

// Sets "key: value" outside the programs list, where the key is already set, or
// adds the line just before the list. Returns whether a line was added.
bool setSetting(std::vector<std::string>& lines, const ProgramsBlock& block, const std::string& key,
                const std::string& value) {
    // The key and the blanks after it stay as the user (or the settings tool) wrote them.
    const std::regex setting("^\\s*\\*?" + key + "\\s*:[ \\t]*");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i >= block.first && i <= block.last) {
            continue;
        }
        std::smatch match;
        if (std::regex_search(lines[i], match, setting)) {
            lines[i] = match.str() + value;
            return false;
        }
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(block.first), key + ":\t\t" + value);
    return true;
}

// Drops the "-" that keeps the entry running `command` out of use.
void enableEntry(std::vector<std::string>& lines, const ProgramsBlock& block, const std::string& command,
                 std::size_t keyLength) {
    for (std::size_t i = block.first; i <= block.last; ++i) {
        std::string& line = lines[i];
        if (normalisedCommand(line).find(command) == std::string::npos) {
            continue;
        }
        const auto start = line.find_first_not_of(" \t", i == block.first ? keyLength : 0);
        if (start != std::string::npos && line[start] == '-') {
            line[start] = ' ';
        }
        return;
    }
}

std::string joinLines(const std::vector<std::string>& lines, bool finalNewline) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += lines[i];
        if (i + 1 < lines.size() || finalNewline) {
            text += '\n';
        }
    }
    return text;
}

}  // namespace

std::string programsEntryLine(const XScreenSaverProgram& program) {
    return "  \"" + program.label + "\"  " + program.command + " \\n";
}

bool hasProgramCommand(std::string_view fileText, std::string_view command) {
    const auto block = findProgramsBlock(splitLines(fileText));
    if (!block) {
        return false;
    }
    const auto wanted = normalisedCommand(command);
    for (const auto& entry : listEntries(block->value)) {
        if (entry.command == wanted) {
            return true;
        }
    }
    return false;
}

std::string withProgramRegistered(std::string_view fileText, const XScreenSaverProgram& program) {
    if (hasProgramCommand(fileText, program.command)) {
        return std::string(fileText);
    }
    auto lines = splitLines(fileText);
    const bool endsWithNewline = !fileText.empty() && fileText.back() == '\n';
    const auto block = findProgramsBlock(lines);
    if (!block) {
        lines.push_back("programs: \\");
        lines.push_back(programsEntryLine(program));
        return joinLines(lines, true);
    }

    std::string& last = lines[block->last];
    if (!continues(last)) {
        // The list ended here; it now goes on to the new entry.
        last = rightTrimmed(last);
        const bool hasEntries = !trimmed(block->value).empty();
        if (!hasEntries) {
            last += " \\";
        } else if (last.size() >= 2 && last.compare(last.size() - 2, 2, "\\n") == 0) {
            last += "\\";
        } else {
            last += " \\n\\";
        }
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(block->last) + 1, programsEntryLine(program));
    return joinLines(lines, endsWithNewline || block->last + 2 == lines.size());
}

std::string withProgramSelected(std::string_view fileText, std::string_view command) {
    auto lines = splitLines(fileText);
    auto block = findProgramsBlock(lines);
    if (!block) {
        return std::string(fileText);
    }
    const auto entries = listEntries(block->value);
    const auto wanted = normalisedCommand(command);
    std::size_t index = 0;
    while (index < entries.size() && entries[index].command != wanted) {
        ++index;
    }
    if (index == entries.size()) {
        return std::string(fileText);
    }
    if (entries[index].disabled) {
        enableEntry(lines, *block, wanted, block->keyLength);
    }
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"mode", "one"},
                                     std::pair<std::string, std::string>{"selected", std::to_string(index)}}) {
        if (setSetting(lines, *block, key, value)) {
            ++block->first;
            ++block->last;
        }
    }
    const bool endsWithNewline = !fileText.empty() && fileText.back() == '\n';
    return joinLines(lines, endsWithNewline);
}

std::string withProgramInUse(std::string_view fileText, const XScreenSaverProgram& program) {
    return withProgramSelected(withProgramRegistered(fileText, program), program.command);
}

std::string newSettingsFileText(const XScreenSaverProgram& program) {
    return "# XScreenSaver settings. Every setting left out here keeps XScreenSaver's default;\n"
           "# its settings tool (xscreensaver-settings) writes the complete file.\n"
           "\n"
           "mode:\t\tone\n"
           "selected:\t\t0\n"
           "programs: \\\n" +
           programsEntryLine(program) + "\n";
}

RegistrationResult registerXScreenSaverProgram(const std::filesystem::path& file, const XScreenSaverProgram& program) {
    namespace fs = std::filesystem;
    std::error_code error;
    // A settings file kept elsewhere behind a link stays there; the link stays a link.
    fs::path target = file;
    if (fs::is_symlink(file, error)) {
        target = fs::weakly_canonical(file, error);
        if (error) {
            return {RegistrationOutcome::failed, "cannot follow the link " + file.string() + ": " + error.message()};
        }
    }

    std::string updated;
    if (!fs::exists(target, error)) {
        updated = newSettingsFileText(program);
    } else {
        std::ifstream input(target, std::ios::binary);
        if (!input) {
            return {RegistrationOutcome::failed, "cannot read " + target.string()};
        }
        const std::string current{std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>()};
        updated = withProgramInUse(current, program);
        if (updated == current) {
            return {RegistrationOutcome::alreadyRegistered, {}};
        }
    }
    if (!replaceFileAtomically(target, updated)) {
        return {RegistrationOutcome::failed, "cannot write " + target.string()};
    }
    return {RegistrationOutcome::added, {}};
}

std::filesystem::path xscreensaverSettingsFile() { return homeDirectoryForCurrentUser() / ".xscreensaver"; }

std::string shellWord(std::string_view word) {
    static const std::regex plain(R"(^[A-Za-z0-9_./+=:,@%-]+$)");
    if (std::regex_match(word.begin(), word.end(), plain)) {
        return std::string(word);
    }
    std::string quoted = "'";
    for (char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

}  // namespace platform
