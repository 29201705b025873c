#include "desktop/earlier_installation.h"

#include "desktop/desktop_texts.h"
#include "desktop/earlier_installation_keys.h"
#include "package/package_header.h"
#include "package/package_rules.h"

namespace velumar::desktop {

namespace {

namespace t = texts;

using namespace earlier_keys;

// ".old", ".old2", ".old3" ...
std::string asideSuffix(int number) {
    std::string suffix(t::kAsideSuffix);
    if (number > 1) {
        if (number >= 100) suffix += char('0' + number / 100);
        if (number >= 10) suffix += char('0' + number / 10 % 10);
        suffix += char('0' + number % 10);
    }
    return suffix;
}

// A number from 1 to kAsideNumbers, written without leading zeros; 0 for anything else.
int parseNumber(std::string_view value) noexcept {
    if (value.empty() || value.size() > 3 || value.front() == '0') return 0;
    int number = 0;
    for (const char c : value) {
        if (c < '0' || c > '9') return 0;
        number = number * 10 + (c - '0');
    }
    return number <= kAsideNumbers ? number : 0;
}

// yes or no (installed or aside for the state) into `flag`; false for anything else.
bool parseChoice(std::string_view value, std::string_view yes, std::string_view no,
                 bool& flag) noexcept {
    if (value != yes && value != no) return false;
    flag = value == yes;
    return true;
}

enum Key : unsigned {
    kWallpaperSeen = 1,
    kNumberSeen = 2,
    kFolderSeen = 4,
    kPageSeen = 8,
    kStateSeen = 16
};
constexpr unsigned kAllSeen = 31;

// One line's key and value into the record; false for an unknown or repeated key or a value
// that is not one.
bool take(EarlierInstallation& record, unsigned& seen, std::string_view key,
          std::string_view value) {
    unsigned bit = 0;
    bool ok = false;
    if (key == kWallpaperKey) {
        bit = kWallpaperSeen;
        record.wallpaperName = std::string(value);
        ok = true;
    } else if (key == kNumberKey) {
        bit = kNumberSeen;
        record.number = parseNumber(value);
        ok = record.number != 0;
    } else if (key == kFolderKey) {
        bit = kFolderSeen;
        ok = parseChoice(value, kYes, kNo, record.folder);
    } else if (key == kPageKey) {
        bit = kPageSeen;
        ok = parseChoice(value, kYes, kNo, record.page);
    } else if (key == kStateKey) {
        bit = kStateSeen;
        ok = parseChoice(value, kInstalled, kAside, record.installed);
    }
    if (!ok || (seen & bit)) return false;
    seen |= bit;
    return true;
}

}  // namespace

std::string asideFolderPath(std::string_view wallpaperRoot, std::string_view name, int number) {
    return std::string(wallpaperRoot).append(name).append(package::kFolderSuffix) +
           asideSuffix(number);
}

std::string asidePagePath(std::string_view wallpaperRoot, std::string_view name, int number) {
    return std::string(wallpaperRoot).append(name).append(package::kPageSuffix) +
           asideSuffix(number);
}

std::string asideRecordPath(std::string_view wallpaperRoot, std::string_view name, int number) {
    return asideFolderPath(wallpaperRoot, name, number).append(t::kAsideRecordSuffix);
}

std::optional<EarlierInstallation> parseEarlierInstallation(std::string_view text) {
    if (text.size() > kLongestEarlierRecord) return std::nullopt;
    EarlierInstallation record;
    unsigned seen = 0;
    bool heading = false;
    bool end = false;
    while (!text.empty()) {
        const size_t lineEnd = text.find(kLineEnd);
        if (lineEnd == std::string_view::npos || end) return std::nullopt;
        const std::string_view line = text.substr(0, lineEnd);
        text.remove_prefix(lineEnd + kLineEnd.size());
        if (!heading) {
            if (line != t::kAsideRecordHeading) return std::nullopt;
            heading = true;
        } else if (line == t::kRecordEnd) {
            end = true;
        } else {
            const size_t equals = line.find('=');
            if (equals == std::string_view::npos ||
                !take(record, seen, line.substr(0, equals), line.substr(equals + 1)))
                return std::nullopt;
        }
    }
    if (!end || seen != kAllSeen || !package::isValidWallpaperName(record.wallpaperName))
        return std::nullopt;
    return record;
}

}  // namespace velumar::desktop
