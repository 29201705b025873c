// The record's writer and what an installation records: the installer's half of the record
// (desktop_record.h).
#include <utility>

#include "desktop/desktop_record.h"
#include "desktop/desktop_record_keys.h"
#include "desktop/desktop_texts.h"
#include "desktop/install_paths.h"

namespace velumar::desktop {

namespace {

using namespace record_keys;

void appendLine(std::string& text, std::string_view key, std::string_view value) {
    text.append(key).append("=").append(value).append(kLineEnd);
}

}  // namespace

std::optional<std::string> formatDesktopRecord(const DesktopRecord& record) {
    std::string text;
    text.append(texts::kRecordHeading).append(kLineEnd);
    for (const StringKey& known : kStringKeys) {
        const std::optional<std::string>& value = record.before.*known.field;
        if (!value) continue;
        if (!fitsOnOneLine(*value)) return std::nullopt;
        appendLine(text, known.name, *value);
    }
    if (record.before.componentFlags)
        appendLine(text, kFlagsKey, std::to_string(*record.before.componentFlags));
    if (!fitsOnOneLine(record.installedBackground)) return std::nullopt;
    appendLine(text, kInstalledBackgroundKey, record.installedBackground);
    text.append(texts::kRecordEnd).append(kLineEnd);
    return text;
}

std::optional<DesktopRecord> recordForInstallation(const std::optional<DesktopRecord>& earlier,
                                                   const DesktopValues& current,
                                                   std::string_view pagePath,
                                                   std::string installedBackground) {
    if (earlier) return DesktopRecord{earlier->before, std::move(installedBackground)};
    if (current.activeWallpaper && samePathText(*current.activeWallpaper, pagePath))
        return std::nullopt;
    return DesktopRecord{current, std::move(installedBackground)};
}

}  // namespace velumar::desktop
