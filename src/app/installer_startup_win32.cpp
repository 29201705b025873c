// The installer window's start-up: from the package copy to the window shown, or to the
// failure box and the end of the program.
#include "app/fInstall.h"

#include <commctrl.h>

#include "app/app_texts.h"
#include "app/application_win32.h"
#include "app/control_ids.h"
#include "app/flash_player_prompt.h"
#include "app/form_geometry_win32.h"
#include "app/install_runs.h"
#include "app/panels_win32.h"
#include "app/preview_win32.h"
#include "app/startup_rules.h"
#include "desktop/desktop_record_win32.h"
#include "desktop/earlier_installation_win32.h"
#include "desktop/install_paths.h"
#include "package/file_source_win32.h"
#include "package/integrity.h"
#include "package/package_offset.h"
#include "package/package_rules.h"
#include "package/pk_stuff.h"
#include "util/dialogs_win32.h"
#include "util/error_text_win32.h"
#include "util/files_win32.h"
#include "util/ascii.h"
#include "util/paths.h"
#include "util/wallpaper_text.h"

namespace velumar::app {

using velumar::kOk;
namespace slots = package::slots;

namespace {

std::string moduleFileName() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

// The package copy, open for reading, for the length of one step.
class PackageCopyReader {
  public:
    explicit PackageCopyReader(const std::string& path)
        : file_(openForReading(path)),
          openError_(file_ ? kOk : lastErrorCode()),
          source_(file_.get()) {}

    // 0, or the reason it could not be opened (never 0 then).
    ErrorCode openError() const noexcept {
        return openError_;
    }
    package::ByteSource& source() noexcept { return source_; }

  private:
    FileHandle file_;
    ErrorCode openError_;
    package::Win32FileSource source_;
};

}  // namespace

void TInstallerForm::runStartup() {
    InstallerState& state = installerState();
    ErrorCode code = kOk;
    bool silent = false;

    const HCURSOR remembered =
        ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    processMessages();

    state.busy = false;
    state.cancelRequest = false;
    licenseShown_ = false;
    openAfterInstall_ = false;

    initSystemFolders();
    state.windowsFolder = windowsFolder();
    state.systemFolder = systemFolder();
    code = locateInstaller();
    if (code == kOk) code = makePackageCopy();
    if (code == kOk) code = readPackageHeader();
    if (code == kOk) prepareWallpaperFolder();
    if (code == kOk) {
        openAfterInstall_ = state.header.openAfterInstall != 0;
        if (openAfterInstall_) code = extractOpenAfterInstallFile();
    }
    if (code == kOk) code = extractFlashInstaller();
    if (code == kOk) code = runFlashPlayerStep();
    if (code == kOk) {
        if (!package::showsWindow(windowKind_)) {
            silent = true;
        } else {
            setInstallerCaption(state.wallpaperName);
            Application::instance().setTitle(windowText(handle()));
        }
    }
    if (code == kOk && !silent) setUpLicense(code);
    if (code == kOk && !silent) code = extractPreview();
    if (code == kOk && !silent) showPreview();
    if (code == kOk && !silent) {
        ::SendMessageA(control(progressBar), PBM_SETRANGE32, 0, 10);
        layoutWindow();
    }
    if (code == kOk && silent) runSilentInstall(*this);

    ::SetCursor(remembered);
    startupCode_ = code;
    if (code != kOk && code != kFlashStepCancelled) showErrorDialog(startupFailureText(code));
    if (code != kOk || silent) {
        close();
        return;
    }
    // Centred on the screen, then shown.
    RECT outer;
    ::GetWindowRect(handle(), &outer);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    ::SetWindowPos(handle(), HWND_TOPMOST, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE);
    ::ShowWindow(handle(), SW_SHOW);
    ::SetForegroundWindow(handle());
    // The movie keeps the focus that start-up gave it; showing the window must not take it away.
    if (!movieFocused_ || !moviePanel1_.focusMovie()) ::SetFocus(control(installBtn));
}

// Without a fresh folder under TEMP there is no package copy path at all: the bare name would
// make the copy, and the clean-up at close, act on a file of that name in the current folder.
ErrorCode TInstallerForm::locateInstaller() {
    InstallerState& state = installerState();
    state.installerPath = moduleFileName();
    const std::string folder = makeTempFolder(std::string(texts::kPackageCopyFolderBase));
    if (folder.empty()) {
        const ErrorCode code = lastErrorCode();
        package::reportInstallError(velumar::kPackageCopyFailed, std::string());
        return code;
    }
    state.packageCopyFiles.folder(folder);
    state.packageCopyPath = folder + std::string(texts::kPackageCopyName);
    return kOk;
}

ErrorCode TInstallerForm::makePackageCopy() {
    InstallerState& state = installerState();
    ErrorCode code =
        package::deleteFileWithRetry(state.packageCopyPath, false, package::kDeleteAttempts);
    state.packageCopyFiles.file(state.packageCopyPath);
    if (code == kOk && !::CopyFileA(state.installerPath.c_str(), state.packageCopyPath.c_str(), FALSE))
        code = lastErrorCode();
    if (code != kOk) package::reportInstallError(velumar::kPackageCopyFailed, state.packageCopyPath);
    return code;
}

ErrorCode TInstallerForm::readPackageHeader() {
    InstallerState& state = installerState();
    PackageCopyReader copy(state.packageCopyPath);
    if (const ErrorCode code = copy.openError(); code != kOk) {
        package::reportInstallError(code, state.packageCopyPath);
        return code;
    }
    const ErrorCode code =
        package::readPackageHeader(copy.source(), package::packageOffset(), state.header);
    if (code != kOk) {
        package::reportInstallError(code, state.packageCopyPath);
        return code;
    }
    if (const ErrorCode damaged = checkPackageCopy(copy.source()); damaged != kOk) return damaged;
    // Refused before anything is written: a name that leaves "Web\Wallpaper\" would place the
    // wallpaper folder elsewhere, and a later clean-up would delete that tree.
    if (!package::isValidWallpaperName(state.header.wallpaperName())) return kUnsafeWallpaperName;
    state.wallpaperName = state.header.wallpaperName();
    state.wallpaperFolder = desktop::wallpaperFolderPath(state.windowsFolder, state.wallpaperName);
    // Loaded once for the run, and only from the file this run wrote and checked, held while
    // it loads: no library another program put in the Windows folder is ever bound.
    package::CheckedFile library;
    const ErrorCode written = package::extractCheckedEntry(extractionTarget(), copy.source(),
                                                           slots::compressionLibrary, library);
    if (written == kOk && equalsIgnoringAsciiCase(library.path, package::compressionLibraryPath(
                                                                    state.windowsFolder)))
        package::bindRunCompressionLibrary(library.path);
    return written;
}

// The whole copy is read once against the header's integrity record before anything but the
// copy itself is written: a download cut short or damaged installs nothing. An installer built
// without a record is not checked.
ErrorCode TInstallerForm::checkPackageCopy(package::ByteSource& copy) {
    struct Pump final : package::IntegrityProgress {
        void afterBlock() override { Application::instance().processMessages(); }
    } pump;
    const package::IntegrityCheck check = package::checkIntegrity(
        copy, package::packageOffset(), installerState().header, &pump);
    if (check.verdict == package::IntegrityVerdict::readFailed) {
        const ErrorCode code = check.systemCode != 0 ? check.systemCode : ERROR_READ_FAULT;
        package::reportInstallError(code, installerState().packageCopyPath);
        return code;
    }
    return check.refused() ? kInstallerDamaged : kOk;
}

// A reinstall that was ended from outside left an earlier installation aside: it is given back
// (or deleted, when that run had finished) before this run looks at what is installed.
void TInstallerForm::prepareWallpaperFolder() {
    InstallerState& state = installerState();
    const std::string root = package::wallpaperRootFolder(state.windowsFolder);
    desktop::recoverEarlierInstallations(root, state.wallpaperName);
    state.earlierInstallation =
        folderExists(state.wallpaperFolder) ||
        fileExists(desktop::wallpaperPagePath(state.windowsFolder, state.wallpaperName));
    if (state.earlierInstallation) {
        // The earlier installation is not touched before the user chose to replace it.
        state.folderWasCreated = 0;
        state.startupFolder = parentFolder(state.packageCopyPath) +
                              std::string(texts::kStartupFilesFolder) + '\\';
        ::CreateDirectoryA(state.startupFolder.c_str(), nullptr);
        state.packageCopyFiles.folder(state.startupFolder);
    } else {
        state.startupFolder = state.wallpaperFolder;
        // A Windows folder without "Web\Wallpaper\" (or without "Web") gets them first; only
        // the wallpaper's own folder counts as created by this run.
        forceFolder(parentFolder(state.wallpaperFolder));
        ::CreateDirectoryA(state.wallpaperFolder.c_str(), nullptr);
        state.folderWasCreated = 1;
    }
    // Empty for a slot 8 name that fails the name rule: its extraction fails, and no later step
    // opens or deletes anything by that name.
    state.dataFilePath =
        package::joinInside(state.wallpaperFolder, state.header.slot(slots::dataFile).name())
            .value_or(std::string());
    windowKind_ = state.header.kind;
}

ErrorCode TInstallerForm::extractSlot(int slot) {
    InstallerState& state = installerState();
    if (state.header.slot(slot).empty()) return velumar::kEmptySlot;
    // Written beside the package copy while an earlier installation stands in the wallpaper
    // folder: removed with the copy.
    if (state.startupFolder != state.wallpaperFolder) {
        const package::ExtractionTarget target = extractionTarget();
        const std::optional<std::string> path = package::destinationPath(
            state.header.slot(slot), target.windowsFolder, target.wallpaperFolder);
        if (path && path->starts_with(state.startupFolder)) state.packageCopyFiles.file(*path);
    }
    PackageCopyReader copy(state.packageCopyPath);
    if (const ErrorCode code = copy.openError(); code != kOk) {
        package::reportInstallError(code, state.packageCopyPath);
        return code;
    }
    return package::extractEntry(extractionTarget(), copy.source(), slot, false);
}

ErrorCode TInstallerForm::extractOpenAfterInstallFile() {
    return extractSlot(slots::openAfterInstall);
}

// Held from here to the Flash player step, which runs only this file: one that is not the
// package's is never started.
ErrorCode TInstallerForm::extractFlashInstaller() {
    InstallerState& state = installerState();
    if (state.header.slot(slots::flashInstaller).empty()) return velumar::kEmptySlot;
    PackageCopyReader copy(state.packageCopyPath);
    if (const ErrorCode code = copy.openError(); code != kOk) {
        package::reportInstallError(code, state.packageCopyPath);
        return code;
    }
    package::CheckedFile installer;
    const ErrorCode code = package::extractCheckedEntry(extractionTarget(), copy.source(),
                                                        slots::flashInstaller, installer);
    if (code == kOk &&
        installer.path == state.windowsFolder + std::string(desktop::kFlashInstallerFile))
        flashInstaller_ = std::move(installer.file);
    return code;
}

ErrorCode TInstallerForm::extractLicense() {
    return extractSlot(slots::license);
}

ErrorCode TInstallerForm::extractPreview() {
    package::PackageEntry& preview = installerState().header.slot(slots::preview);
    if (preview.empty()) return velumar::kEmptySlot;
    package::renamePreview(installerState().header);
    return extractSlot(slots::preview);
}

ErrorCode TInstallerForm::runFlashPlayerStep() {
    FlashPlayerPromptWindows prompt(messageBox_, preparingWindow_);
    InstallerState& state = installerState();
    const desktop::DesktopValues desktopBefore = desktop::readDesktopValues();
    desktop::FlashPlayerStep step(state.systemFolder, state.windowsFolder, prompt, flashVersion_,
                                  !package::showsWindow(windowKind_));
    step.holdCheckedInstaller(std::move(flashInstaller_));
    ErrorCode code = kOk;
    if (step.flashPlayerNeedsUpdate(true)) {
        code = step.installFlashPlayer();
    } else if (!step.waitForFlashPlayer()) {
        code = kFlashControlUnusable;
    }
    activeDesktopBefore_ = step.activeDesktopBefore();
    if (activeDesktopBefore_) state.desktopBeforeFlashStep = desktopBefore;
    return code;
}

void TInstallerForm::setInstallerCaption(const std::string& wallpaperName) {
    ::SetWindowTextA(handle(), installCaption(wallpaperName).c_str());
}

void TInstallerForm::setUpLicense(ErrorCode& code) {
    InstallerState& state = installerState();
    licenseShown_ = state.header.showLicense != 0;
    const HWND install = control(installBtn);
    if (licenseShown_) {
        code = extractLicense();
        if (code == kOk) {
            const std::string path =
                package::joinInside(state.startupFolder, state.header.slot(slots::license).name())
                    .value_or(std::string());
            std::string licence;
            // Nobody may be asked to accept a licence that could not be read: the failure is
            // reported with the file and ends start-up.
            if (!readWholeFile(path, licence)) {
                code = lastErrorCode();
                package::reportInstallError(code, path);
                return;
            }
            ::SetWindowTextA(licenseScrollBox_, licenseText(licence).c_str());
            ::ShowWindow(licenseScrollBox_, SW_SHOW);
            setStyle(handle(), kResizableStyle);
            Bounds memo = boundsOf(licenseScrollBox_);
            memo.height = kLicenseMinimumHeight;
            place(licenseScrollBox_, memo);
            installWidth_ = kAcceptAndInstallWidth;
            ::SetWindowTextA(install, texts::kAcceptAndInstall.data());
            ::ShowWindow(control(cancelBtn), SW_SHOW);
        }
    } else {
        installWidth_ = kInstallWidth;
        ::SetWindowTextA(install, texts::kInstall.data());
        ::ShowWindow(licenseScrollBox_, SW_HIDE);
        setStyle(handle(), kSingleBorderStyle);
    }
    const Bounds cancel = boundsOf(control(cancelBtn));
    Bounds installBounds = boundsOf(install);
    installBounds.width = installWidth_;
    installBounds.left = cancel.left - installWidth_ - kInstallGap;
    place(install, installBounds);
    ::SetWindowTextA(control(cancelBtn), texts::kCancel.data());
    ::SetWindowTextA(control(doneBtn), texts::kClose.data());
}

void TInstallerForm::showPreview() {
    const InstallerState& state = installerState();
    const std::string path =
        package::joinInside(state.startupFolder, state.header.slot(slots::preview).name())
            .value_or(std::string());
    if (package::isPictureKind(windowKind_)) {
        showPicture(path);
    } else if (package::isMovieKind(windowKind_)) {
        moviePanel1_.loadMovie(path);
        Application::instance().bringToFront(handle());
        processMessages();
        if (Application::instance().isActive()) movieFocused_ = moviePanel1_.focusMovie();
    }
}

void TInstallerForm::showPicture(const std::string& path) {
    ::ShowWindow(moviePanel1_.handle(), SW_HIDE);
    GdiObject<HBITMAP> picture = loadPreviewPicture(path);
    if (!picture) showErrorDialog(std::string(texts::kCorruptFile));
    bmpPanel_->setPicture(std::move(picture));
    ::ShowWindow(bmpPanel_->handle(), SW_SHOW);
    ::SetWindowPos(bmpPanel_->handle(), HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace velumar::app
