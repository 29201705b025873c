#include "desktop/desktop_record.h"

#include <charconv>

#include "desktop/desktop_record_keys.h"
#include "desktop/desktop_texts.h"
#include "desktop/install_paths.h"

namespace velumar::desktop {

namespace {

namespace t = texts;
using namespace record_keys;

std::optional<uint32_t> parseNumber(std::string_view text) noexcept {
    if (text.empty() || text.size() > 10) return std::nullopt;
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// Sets one key of the record from its line's value; false for an unknown or repeated key or a
// value that is not one.
bool takeValue(DesktopRecord& record, std::string_view key, std::string_view value,
               bool& sawInstalledBackground) {
    if (!fitsOnOneLine(value)) return false;
    for (const StringKey& known : kStringKeys) {
        if (key != known.name) continue;
        std::optional<std::string>& field = record.before.*known.field;
        if (field) return false;
        field = std::string(value);
        return true;
    }
    if (key == kFlagsKey) {
        if (record.before.componentFlags) return false;
        record.before.componentFlags = parseNumber(value);
        return record.before.componentFlags.has_value();
    }
    if (key == kInstalledBackgroundKey) {
        if (sawInstalledBackground) return false;
        sawInstalledBackground = true;
        record.installedBackground = std::string(value);
        return true;
    }
    return false;
}

}  // namespace

std::optional<DesktopRecord> parseDesktopRecord(std::string_view text) {
    if (text.size() > kLongestRecordFile) return std::nullopt;
    DesktopRecord record;
    bool sawHeading = false;
    bool sawEnd = false;
    bool sawInstalledBackground = false;
    while (!text.empty()) {
        const size_t lineEnd = text.find(kLineEnd);
        // Every line, the last included, ends in CR LF: a file cut short is no record.
        if (lineEnd == std::string_view::npos || sawEnd) return std::nullopt;
        const std::string_view line = text.substr(0, lineEnd);
        text.remove_prefix(lineEnd + kLineEnd.size());
        if (!sawHeading) {
            if (line != t::kRecordHeading) return std::nullopt;
            sawHeading = true;
            continue;
        }
        if (line == t::kRecordEnd) {
            sawEnd = true;
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) return std::nullopt;
        if (!takeValue(record, line.substr(0, equals), line.substr(equals + 1),
                       sawInstalledBackground)) {
            return std::nullopt;
        }
    }
    if (!sawEnd || !sawInstalledBackground) return std::nullopt;
    return record;
}

DesktopRestore planDesktopRestore(const DesktopRecord& record, const DesktopValues& current,
                                  std::string_view pagePath) {
    DesktopRestore plan;
    const DesktopValues& before = record.before;
    if (current.activeWallpaper && samePathText(*current.activeWallpaper, pagePath)) {
        const bool previousIsPage =
            before.activeWallpaper && samePathText(*before.activeWallpaper, pagePath);
        plan.wallpaper = !previousIsPage;
        plan.clearWallpaper = previousIsPage;
    }
    if (before.background && current.background == record.installedBackground &&
        *before.background != record.installedBackground) {
        plan.background = before.background;
    }
    if (before.componentFlags && current.componentFlags) {
        const std::optional<uint32_t> written = componentFlagsToWrite(*before.componentFlags);
        if (written && *current.componentFlags == *written)
            plan.componentFlags = before.componentFlags;
    }
    return plan;
}

DesktopRestore planRollbackRestore(const DesktopValues& before, const DesktopValues& current,
                                   std::string_view installedBackground) {
    DesktopRestore plan =
        planDesktopRestore({before, std::string(installedBackground)}, current, {});
    plan.wallpaper = before.activeWallpaper && !before.activeWallpaper->empty();
    plan.clearWallpaper = !plan.wallpaper;
    return plan;
}

}  // namespace velumar::desktop
