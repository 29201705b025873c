#include "desktop/install_steps_win32.h"

#include <shellapi.h>

#include "desktop/active_desktop_win32.h"
#include "desktop/desktop_record_win32.h"
#include "desktop/desktop_texts.h"
#include "desktop/install_paths.h"
#include "desktop/uninstall_entry_win32.h"
#include "package/file_source_win32.h"
#include "package/datafile_win32.h"
#include "package/extract_win32.h"
#include "package/package_rules.h"
#include "util/error_text_win32.h"
#include "util/files_win32.h"
#include "util/handles_win32.h"

namespace velumar::desktop {

namespace {

constexpr int kDisplayPropertiesLookups = 1000;


}  // namespace

Win32InstallSteps::Win32InstallSteps(InstallUi& ui, const InstallerState& state)
    : ui_(ui), state_(state), expander_(state.wallpaperName) {}

void Win32InstallSteps::showHourglass() {
    savedCursor_ = ::GetCursor();
    ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
}

void Win32InstallSteps::restoreCursor() {
    ::SetCursor(savedCursor_);
}

void Win32InstallSteps::closeDisplayProperties() {
    desktop::closeDisplayProperties();
}

ErrorCode Win32InstallSteps::extractInstallEntries() {
    const FileHandle packageCopy = openForReading(state_.packageCopyPath);
    if (!packageCopy) {
        const ErrorCode code = lastErrorCode();
        ui_.reportInstallError(code, state_.packageCopyPath);
        return code;
    }
    package::Win32FileSource source(packageCopy.get());
    const package::ExtractionTarget target{state_.header, state_.windowsFolder,
                                           state_.wallpaperFolder, &ui_};
    return extractEntriesInOrder(ui_, state_.header, source,
                                 [&target](package::ByteSource& copy, int slot, bool progress) {
                                     return package::extractEntry(target, copy, slot, progress);
                                 });
}

ErrorCode Win32InstallSteps::readDataFileHeader() {
    if (state_.dataFilePath.empty()) {
        ui_.reportInstallError(ERROR_INVALID_NAME, state_.dataFilePath);
        return ERROR_INVALID_NAME;
    }
    // The same reader and checks as the expansion: a data file that names another wallpaper
    // stops the run here, before any record is written.
    FileHandle file;
    package::DataFile data;
    const ErrorCode code =
        package::openCheckedDataFile(ui_, state_.dataFilePath, state_.wallpaperName, file, data);
    if (code == package::kOk) dataHeader_ = data.header;
    return code;
}

ErrorCode Win32InstallSteps::expandDataFile() {
    return expander_.expandDataFile(ui_, state_.dataFilePath, state_.wallpaperFolder);
}

ErrorCode Win32InstallSteps::setupWallpaper() {
    WallpaperSettings settings;
    settings.windowsFolder = state_.windowsFolder;
    settings.wallpaperName = dataHeader_.wallpaperName();
    settings.red = state_.header.backgroundRed;
    settings.green = state_.header.backgroundGreen;
    settings.blue = state_.header.backgroundBlue;
    settings.startUninstaller = !state_.header.slot(package::slots::extra).empty();
    // The user's desktop as it is before the set-up changes it, for the uninstaller to give back.
    if (package::isValidWallpaperName(settings.wallpaperName)) {
        recordDesktopBeforeInstall(
            state_.wallpaperFolder,
            wallpaperPagePath(settings.windowsFolder, settings.wallpaperName),
            backgroundColourText(settings.red, settings.green, settings.blue),
            state_.desktopBeforeFlashStep);
    }
    return desktop::setupWallpaper(settings);
}

void Win32InstallSteps::openAfterInstallFile() {
    if (!state_.header.openAfterInstall) return;
    const std::optional<std::string> path = package::joinInside(
        state_.wallpaperFolder, state_.header.slot(package::slots::openAfterInstall).name());
    if (!path) return;
    ::ShellExecuteA(nullptr, nullptr, path->c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

ErrorCode Win32InstallSteps::registerUninstall() {
    return desktop::registerUninstall(state_.wallpaperName);
}

void Win32InstallSteps::deleteDataFile() {
    // The expansion may still hold it open after a failed record.
    expander_.closeDataFile(ui_);
    if (!state_.dataFilePath.empty()) deleteFileQuiet(state_.dataFilePath);
}

void Win32InstallSteps::cleanUpInstallation() {
    const std::string_view pageName = state_.header.slot(package::slots::wallpaperPage).name();
    const std::string page =
        package::joinInside(package::wallpaperRootFolder(state_.windowsFolder), pageName)
            .value_or(std::string());
    desktop::cleanUpInstallation(state_.wallpaperFolder, page, state_.wallpaperName);
}

void Win32InstallSteps::openDisplayProperties() {
    desktop::openDisplayProperties(state_.header, state_.systemFolder);
}

bool Win32InstallSteps::wallpaperPageExists() {
    return fileExists(wallpaperPagePath(state_.windowsFolder, state_.wallpaperName));
}

void openDisplayProperties(const package::PackageHeader& header, const std::string& systemFolder) {
    if (!header.offerDisplayProperties) return;
    const std::string command = displayPropertiesCommandLine(systemFolder);
    ::WinExec(command.c_str(), SW_SHOWNORMAL);
    const std::string title(texts::kDisplayPropertiesTitle);
    for (int lookup = 0; lookup < kDisplayPropertiesLookups; ++lookup) {
        if (::FindWindowA(nullptr, title.c_str())) break;
    }
}

void closeDisplayProperties() {
    const std::string title(texts::kDisplayPropertiesTitle);
    if (HWND panel = ::FindWindowA(nullptr, title.c_str())) {
        ::SendDlgItemMessageA(panel, texts::kDisplayPropertiesCancelItem, BM_CLICK, 0, 0);
    }
}

bool confirmOverwriteBox(HWND owner, const std::string& text) {
    const std::string caption(texts::kConfirmCaption);
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OKCANCEL | MB_ICONQUESTION) ==
           IDOK;
}

bool successBox(HWND owner) {
    const std::string caption(texts::kSuccessCaption);
    const std::string text(texts::kSuccessText);
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), MB_YESNO) == IDYES;
}

}  // namespace velumar::desktop
