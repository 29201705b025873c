#include "uninstall/uninstall_command.h"

#include <charconv>

namespace velumar::uninstall {

namespace {

constexpr std::string_view kBackground = "/b";
constexpr std::string_view kContinue = "/continue";

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

std::vector<std::string> splitCommandLine(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

Command parseCommand(std::string_view arguments) {
    const std::vector<std::string> words = splitCommandLine(arguments);
    Command command;
    if (words.empty()) return command;
    if (equalsIgnoringCase(words[0], kBackground)) {
        command.mode = Mode::background;
        return command;
    }
    command.mode = Mode::unknown;
    if (words.size() == 3 && equalsIgnoringCase(words[0], kContinue)) {
        uint32_t process = 0;
        const auto [end, error] =
            std::from_chars(words[1].data(), words[1].data() + words[1].size(), process);
        if (error == std::errc() && end == words[1].data() + words[1].size() && !words[2].empty()) {
            command.mode = Mode::removeFromCopy;
            command.originalProcess = process;
            command.wallpaperFolder = words[2];
        }
    }
    return command;
}

std::string continueArguments(uint32_t originalProcess, std::string_view wallpaperFolder) {
    return std::string(kContinue) + ' ' + std::to_string(originalProcess) + " \"" +
           std::string(wallpaperFolder) + '"';
}

std::string_view argumentsAfterProgram(std::string_view commandLine) {
    size_t at = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        const size_t close = commandLine.find('"', 1);
        at = close == std::string_view::npos ? commandLine.size() : close + 1;
    } else {
        while (at < commandLine.size() && commandLine[at] != ' ' && commandLine[at] != '\t') ++at;
    }
    while (at < commandLine.size() && (commandLine[at] == ' ' || commandLine[at] == '\t')) ++at;
    return commandLine.substr(at);
}

}  // namespace velumar::uninstall
