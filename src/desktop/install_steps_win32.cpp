#include "desktop/install_steps_win32.h"

#include "desktop/active_desktop_win32.h"
#include "desktop/desktop_record_win32.h"
#include "desktop/desktop_texts.h"
#include "desktop/install_paths.h"
#include "desktop/uninstall_entry_win32.h"
#include "package/datafile_win32.h"
#include "package/extract_win32.h"
#include "package/file_source_win32.h"
#include "package/package_rules.h"
#include "util/error_text_win32.h"
#include "util/files_win32.h"
#include "util/handles_win32.h"
#include "util/paths.h"
#include "util/processes_win32.h"
#include "util/system_calls_win32.h"

namespace velumar::desktop {

namespace {

constexpr int kDisplayPropertiesLookups = 1000;

// Runs work over the package copy, opened for reading, and the extraction's target (the
// installation's folders, the window for the boxes); a copy that cannot be opened is reported
// as the install error it is.
template <typename Work>
ErrorCode overPackageCopy(const InstallerState& state, InstallUi& ui, Work&& work) {
    const FileHandle packageCopy = openForReading(state.packageCopyPath);
    if (!packageCopy) {
        const ErrorCode code = lastErrorCode();
        ui.reportInstallError(code, state.packageCopyPath);
        return code;
    }
    package::Win32FileSource source(packageCopy.get());
    const package::ExtractionTarget target{state.header, state.windowsFolder, state.wallpaperFolder,
                                           &ui};
    return work(source, target);
}

}  // namespace

Win32InstallSteps::Win32InstallSteps(InstallUi& ui, const InstallerState& state)
    : ui_(ui),
      state_(state),
      expander_(state.wallpaperName),
      aside_(package::wallpaperRootFolder(state.windowsFolder), state.wallpaperName),
      placesAreOurs_(!state.earlierInstallation) {}

std::string Win32InstallSteps::pagePath() const {
    const std::string_view pageName = state_.header.slot(package::slots::wallpaperPage).name();
    return package::joinInside(package::wallpaperRootFolder(state_.windowsFolder), pageName)
        .value_or(std::string());
}

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

// Before anything is written: an uninstall entry of this name must be ours or none, and an
// earlier installation is moved aside, to be given back if the run fails.
ErrorCode Win32InstallSteps::setAsideEarlierInstallation() {
    ownUninstallers_ = ownUninstallers(state_.wallpaperName, state_.wallpaperFolder);
    entryBefore_ = readUninstallEntry(HKEY_LOCAL_MACHINE, state_.wallpaperName);
    if (entryOwner(entryBefore_->exists, entryBefore_->uninstallString, ownUninstallers_) ==
        EntryOwner::foreign) {
        ui_.reportInstallError(velumar::kForeignUninstallEntry, state_.wallpaperName);
        return velumar::kForeignUninstallEntry;
    }
    if (!state_.earlierInstallation) return velumar::kOk;
    if (const ErrorCode code = aside_.setAside(); code != velumar::kOk) {
        // A file in the earlier folder is held open (a program showing the wallpaper).
        const std::string folder(withoutTrailingBackslash(state_.wallpaperFolder));
        ui_.reportInstallError(velumar::kFileBusy, folder);
        return velumar::kFileBusy;
    }
    placesAreOurs_ = true;
    forceFolder(state_.wallpaperFolder);
    return writeStartupFilesAgain();
}

// Start-up wrote the preview and the licence beside the package copy while the earlier
// installation stood in the wallpaper folder; the new folder gets them as a fresh installation
// would have them.
ErrorCode Win32InstallSteps::writeStartupFilesAgain() {
    return overPackageCopy(
        state_, ui_, [this](package::ByteSource& source, const package::ExtractionTarget& target) {
            for (const int slot : {package::slots::preview, package::slots::license}) {
                if (!package::startupWrites(state_.header, slot)) continue;
                if (const ErrorCode code = package::extractEntry(target, source, slot, false);
                    code != velumar::kOk)
                    return code;
            }
            return velumar::kOk;
        });
}

ErrorCode Win32InstallSteps::extractInstallEntries() {
    return overPackageCopy(
        state_, ui_, [this](package::ByteSource& source, const package::ExtractionTarget& target) {
            return extractEntriesInOrder(
                ui_, state_.header, source,
                [&target](package::ByteSource& copy, int slot, bool progress) {
                    return package::extractEntry(target, copy, slot, progress);
                });
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
    if (code == velumar::kOk) dataHeader_ = data.header;
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
    // The user's desktop as it is before the set-up changes it, for the uninstaller to give
    // back, and for this run to give back if it fails.
    desktopBefore_ = readDesktopValues();
    installedBackground_ = backgroundColourText(settings.red, settings.green, settings.blue);
    if (package::isValidWallpaperName(settings.wallpaperName)) {
        const std::string earlier = aside_.earlierFolder();
        recordDesktopBeforeInstall(
            state_.wallpaperFolder,
            wallpaperPagePath(settings.windowsFolder, settings.wallpaperName), installedBackground_,
            earlier.empty() ? state_.wallpaperFolder : earlier, state_.desktopBeforeFlashStep);
    }
    return desktop::setupWallpaper(settings);
}

void Win32InstallSteps::openAfterInstallFile() {
    if (!state_.header.openAfterInstall) return;
    const std::optional<std::string> path = package::joinInside(
        state_.wallpaperFolder, state_.header.slot(package::slots::openAfterInstall).name());
    if (!path) return;
    // Whatever opens the file starts in the wallpaper folder, not in the installer's.
    const std::string folder(withoutTrailingBackslash(state_.wallpaperFolder));
    sys::shellExecute(nullptr, nullptr, path->c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
}

ErrorCode Win32InstallSteps::registerUninstall() {
    return desktop::registerUninstall(state_.wallpaperName, state_.wallpaperFolder);
}

void Win32InstallSteps::deleteDataFile() {
    // The expansion may still hold it open after a failed record.
    expander_.closeDataFile(ui_);
    if (!state_.dataFilePath.empty()) deleteFileQuiet(state_.dataFilePath);
}

// What this run wrote goes: its folder, its page, its uninstall entry (the earlier entry's values
// come back). Then the earlier installation it set aside comes back, and the desktop as it was
// before the run set it up. An earlier installation that could not be set aside was never
// touched, and is not now.
void Win32InstallSteps::cleanUpInstallation() {
    if (!placesAreOurs_) return;
    deleteFolderTree(state_.wallpaperFolder);
    if (const std::string page = pagePath(); !page.empty()) deleteFileQuiet(page);
    if (entryBefore_) restoreUninstallEntry(state_.wallpaperName, *entryBefore_, ownUninstallers_);
    aside_.putBack();
    if (desktopBefore_) restoreDesktopBeforeRun(*desktopBefore_, installedBackground_);
}

void Win32InstallSteps::discardEarlierInstallation() {
    aside_.discard();
    kept_ = true;
}

void Win32InstallSteps::openDisplayProperties() {
    desktop::openDisplayProperties(state_.header, state_.systemFolder, state_.windowsFolder);
}

bool Win32InstallSteps::wallpaperPageExists() {
    return fileExists(wallpaperPagePath(state_.windowsFolder, state_.wallpaperName));
}

void openDisplayProperties(const package::PackageHeader& header, const std::string& systemFolder,
                           const std::string& windowsFolder) {
    if (!header.offerDisplayProperties) return;
    std::string program = displayPropertiesProgram(systemFolder);
    if (!fileExists(program) && !windowsFolder.empty())
        program = displayPropertiesProgram(windowsFolder);
    startProgram(program, std::string(texts::kDisplayPropertiesArguments), systemFolder);
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
