#include "uninstall/uninstall_command.h"
#include "util/ascii.h"

#include <charconv>

#include "desktop/install_paths.h"
#include "package/package_rules.h"
#include "util/paths.h"

namespace velumar::uninstall {

namespace {

constexpr std::string_view kBackground = "/b";
constexpr std::string_view kContinue = "/continue";

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return equalsIgnoringAsciiCase(a, b);
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
    char digits[10];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, originalProcess);
    return std::string(kContinue) + ' ' + std::string(digits, end) + " \"" +
           std::string(wallpaperFolder) + '"';
}

namespace {

bool isBlank(char c) noexcept {
    return c == ' ' || c == '\t';
}

bool startsWithIgnoringCase(std::string_view text, std::string_view start) noexcept {
    return text.size() >= start.size() && equalsIgnoringCase(text.substr(0, start.size()), start);
}

// Where an unquoted program name ends: after one of the program's own paths, else after the
// first ".exe" that ends a word, else at the first blank.
size_t endOfBareProgram(std::string_view line, std::span<const std::string> ownPaths) noexcept {
    for (const std::string& path : ownPaths) {
        if (path.empty() || !startsWithIgnoringCase(line, path)) continue;
        if (line.size() == path.size() || isBlank(line[path.size()])) return path.size();
    }
    constexpr std::string_view kExe = ".exe";
    for (size_t at = 0; at + kExe.size() <= line.size(); ++at) {
        const size_t end = at + kExe.size();
        if (equalsIgnoringCase(line.substr(at, kExe.size()), kExe) &&
            (end == line.size() || isBlank(line[end]))) {
            return end;
        }
    }
    size_t at = 0;
    while (at < line.size() && !isBlank(line[at])) ++at;
    return at;
}

}  // namespace

std::string_view argumentsAfterProgram(std::string_view commandLine,
                                       std::span<const std::string> ownPaths) {
    size_t at = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        const size_t close = commandLine.find('"', 1);
        at = close == std::string_view::npos ? commandLine.size() : close + 1;
    } else {
        at = endOfBareProgram(commandLine, ownPaths);
    }
    while (at < commandLine.size() && isBlank(commandLine[at])) ++at;
    return commandLine.substr(at);
}

std::optional<std::string> wallpaperOfFolder(std::string_view folder,
                                             std::string_view windowsFolder) {
    const std::optional<std::string> name = desktop::wallpaperNameFromFolder(folder);
    if (!name || !package::isValidWallpaperName(*name)) return std::nullopt;
    const std::string expected =
        desktop::wallpaperFolderPath(withTrailingBackslash(windowsFolder), *name);
    if (!desktop::samePathText(withTrailingBackslash(folder), expected)) return std::nullopt;
    return name;
}

std::string wininitWithDeletion(std::string_view wininit, std::string_view path) {
    constexpr std::string_view kSection = "[rename]";
    const std::string line = "NUL=" + std::string(path) + "\r\n";
    // The section header, alone on its line, in any letter case.
    size_t lineStart = 0;
    while (lineStart < wininit.size()) {
        size_t lineEnd = wininit.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) lineEnd = wininit.size();
        std::string_view text = wininit.substr(lineStart, lineEnd - lineStart);
        while (!text.empty() && (text.back() == '\r' || isBlank(text.back())))
            text.remove_suffix(1);
        while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
        const size_t next = lineEnd < wininit.size() ? lineEnd + 1 : lineEnd;
        if (equalsIgnoringCase(text, kSection)) {
            std::string result(wininit.substr(0, next));
            if (next == wininit.size() && (result.empty() || result.back() != '\n'))
                result += "\r\n";
            result += line;
            result.append(wininit.substr(next));
            return result;
        }
        lineStart = next;
    }
    std::string result(wininit);
    if (!result.empty() && result.back() != '\n') result += "\r\n";
    result.append(kSection).append("\r\n").append(line);
    return result;
}

}  // namespace velumar::uninstall
