#include "app/startup_steps_win32.h"

#include "app/app_texts.h"
#include "app/application_win32.h"
#include "app/fInstall.h"
#include "app/flash_player_prompt.h"
#include "app/install_runs.h"
#include "app/startup_rules.h"
#include "desktop/desktop_record_win32.h"
#include "desktop/earlier_installation_win32.h"
#include "desktop/install_paths.h"
#include "package/file_source_win32.h"
#include "package/integrity.h"
#include "package/package_offset.h"
#include "package/package_rules.h"
#include "package/pk_stuff.h"
#include "util/ascii.h"
#include "util/error_text_win32.h"
#include "util/files_win32.h"
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
    ErrorCode openError() const noexcept { return openError_; }
    package::ByteSource& source() noexcept { return source_; }

  private:
    FileHandle file_;
    ErrorCode openError_;
    package::Win32FileSource source_;
};

}  // namespace

void Win32StartupSteps::showHourglass() {
    rememberedCursor_ = ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    Application::instance().processMessages();
}

void Win32StartupSteps::restoreCursor() {
    ::SetCursor(rememberedCursor_);
}

void Win32StartupSteps::findSystemFolders() {
    initSystemFolders();
    state_.windowsFolder = windowsFolder();
    state_.systemFolder = systemFolder();
}

// Start-up's: its files for the wallpaper folder go where start-up keeps them.
package::ExtractionTarget Win32StartupSteps::extractionTarget() {
    return {state_.header, state_.windowsFolder,
            state_.startupFolder.empty() ? state_.wallpaperFolder : state_.startupFolder, &form_};
}

// Without a fresh folder under TEMP there is no package copy path at all: the bare name would
// make the copy, and the clean-up at close, act on a file of that name in the current folder.
ErrorCode Win32StartupSteps::locateInstaller() {
    state_.installerPath = moduleFileName();
    const std::string folder = makeTempFolder(std::string(texts::kPackageCopyFolderBase));
    if (folder.empty()) {
        const ErrorCode code = lastErrorCode();
        package::reportInstallError(velumar::kPackageCopyFailed, std::string());
        return code;
    }
    state_.packageCopyFiles.folder(folder);
    state_.packageCopyPath = folder + std::string(texts::kPackageCopyName);
    return kOk;
}

ErrorCode Win32StartupSteps::makePackageCopy() {
    ErrorCode code =
        package::deleteFileWithRetry(state_.packageCopyPath, false, package::kDeleteAttempts);
    state_.packageCopyFiles.file(state_.packageCopyPath);
    if (code == kOk &&
        !::CopyFileA(state_.installerPath.c_str(), state_.packageCopyPath.c_str(), FALSE))
        code = lastErrorCode();
    if (code != kOk)
        package::reportInstallError(velumar::kPackageCopyFailed, state_.packageCopyPath);
    return code;
}

ErrorCode Win32StartupSteps::readPackageHeader() {
    PackageCopyReader copy(state_.packageCopyPath);
    if (const ErrorCode code = copy.openError(); code != kOk) {
        package::reportInstallError(code, state_.packageCopyPath);
        return code;
    }
    const ErrorCode code =
        package::readPackageHeader(copy.source(), package::packageOffset(), state_.header);
    if (code != kOk) {
        package::reportInstallError(code, state_.packageCopyPath);
        return code;
    }
    return checkPackageCopy(copy.source());
}

// The whole copy is read once against the header's integrity record before anything but the
// copy itself is written: a download cut short or damaged installs nothing. An installer built
// without a record is not checked.
ErrorCode Win32StartupSteps::checkPackageCopy(package::ByteSource& copy) {
    struct Pump final : package::IntegrityProgress {
        void afterBlock() override { Application::instance().processMessages(); }
    } pump;
    const package::IntegrityCheck check =
        package::checkIntegrity(copy, package::packageOffset(), state_.header, &pump);
    if (check.verdict == package::IntegrityVerdict::readFailed) {
        const ErrorCode code = check.systemCode != 0 ? check.systemCode : ERROR_READ_FAULT;
        package::reportInstallError(code, state_.packageCopyPath);
        return code;
    }
    return check.refused() ? kInstallerDamaged : kOk;
}

// An empty slot other than the compression library's ends start-up without a box; the
// library's own extraction reports it.
ErrorCode Win32StartupSteps::writeSlot(int slot) {
    if (slot != slots::compressionLibrary && state_.header.slot(slot).empty())
        return velumar::kEmptySlot;
    // Written beside the package copy while an earlier installation stands in the wallpaper
    // folder: removed with the copy.
    const bool checked = slot == slots::compressionLibrary || slot == slots::flashInstaller;
    if (!checked && state_.startupFolder != state_.wallpaperFolder) {
        const package::ExtractionTarget target = extractionTarget();
        const std::optional<std::string> path = package::destinationPath(
            state_.header.slot(slot), target.windowsFolder, target.wallpaperFolder);
        if (path && path->starts_with(state_.startupFolder)) state_.packageCopyFiles.file(*path);
    }
    PackageCopyReader copy(state_.packageCopyPath);
    if (const ErrorCode code = copy.openError(); code != kOk) {
        package::reportInstallError(code, state_.packageCopyPath);
        return code;
    }
    if (!checked) return package::extractEntry(extractionTarget(), copy.source(), slot, false);
    package::CheckedFile written;
    const ErrorCode code =
        package::extractCheckedEntry(extractionTarget(), copy.source(), slot, written);
    if (code != kOk) return code;
    if (slot == slots::compressionLibrary) {
        // Loaded once for the run, and only from the file this run wrote and checked, held
        // while it loads: no library another program put in the Windows folder is ever bound.
        if (equalsIgnoringAsciiCase(written.path,
                                    package::compressionLibraryPath(state_.windowsFolder)))
            package::bindRunCompressionLibrary(written.path);
    } else if (written.path == state_.windowsFolder + std::string(desktop::kFlashInstallerFile)) {
        // Held from here to the Flash player step, which runs only this file: one that is not
        // the package's is never started.
        flashInstaller_ = std::move(written.file);
    }
    return code;
}

// A reinstall that was ended from outside left an earlier installation aside: it is given back
// (or deleted, when that run had finished) before this run looks at what is installed.
void Win32StartupSteps::prepareWallpaperFolder() {
    const std::string root = package::wallpaperRootFolder(state_.windowsFolder);
    desktop::recoverEarlierInstallations(root, state_.wallpaperName);
    state_.earlierInstallation =
        folderExists(state_.wallpaperFolder) ||
        fileExists(desktop::wallpaperPagePath(state_.windowsFolder, state_.wallpaperName));
    if (state_.earlierInstallation) {
        // The earlier installation is not touched before the user chose to replace it.
        state_.folderWasCreated = 0;
        state_.startupFolder =
            parentFolder(state_.packageCopyPath) + std::string(texts::kStartupFilesFolder) + '\\';
        ::CreateDirectoryA(state_.startupFolder.c_str(), nullptr);
        state_.packageCopyFiles.folder(state_.startupFolder);
    } else {
        state_.startupFolder = state_.wallpaperFolder;
        // A Windows folder without "Web\Wallpaper\" (or without "Web") gets them first; only
        // the wallpaper's own folder counts as created by this run.
        forceFolder(parentFolder(state_.wallpaperFolder));
        ::CreateDirectoryA(state_.wallpaperFolder.c_str(), nullptr);
        state_.folderWasCreated = 1;
    }
    // Empty for a slot 8 name that fails the name rule: its extraction fails, and no later step
    // opens or deletes anything by that name.
    state_.dataFilePath =
        package::joinInside(state_.wallpaperFolder, state_.header.slot(slots::dataFile).name())
            .value_or(std::string());
    form_.setWindowKind(state_.header.kind);
}

ErrorCode Win32StartupSteps::runFlashPlayerStep() {
    FlashPlayerPromptWindows prompt(messageBox_, preparingWindow_);
    const desktop::DesktopValues desktopBefore = desktop::readDesktopValues();
    desktop::FlashPlayerStep step(state_.systemFolder, state_.windowsFolder, prompt, flashVersion_,
                                  !package::showsWindow(state_.header.kind));
    step.holdCheckedInstaller(std::move(flashInstaller_));
    ErrorCode code = kOk;
    if (step.flashPlayerNeedsUpdate(true)) {
        code = step.installFlashPlayer();
    } else if (!step.waitForFlashPlayer()) {
        code = kFlashControlUnusable;
    }
    activeDesktopBefore_ = step.activeDesktopBefore();
    if (activeDesktopBefore_) state_.desktopBeforeFlashStep = desktopBefore;
    return code;
}

void Win32StartupSteps::showCaption() {
    form_.setInstallerCaption(state_.wallpaperName);
    Application::instance().setTitle(windowText(form_.handle()));
}

// Nobody may be asked to accept a licence that could not be read: the failure is reported with
// the file and ends start-up.
ErrorCode Win32StartupSteps::setUpLicense() {
    if (state_.header.showLicense == 0) {
        form_.showLicense(false, std::string());
        return kOk;
    }
    const std::string path =
        package::joinInside(state_.startupFolder, state_.header.slot(slots::license).name())
            .value_or(std::string());
    std::string licence;
    if (!readWholeFile(path, licence)) {
        const ErrorCode code = lastErrorCode();
        package::reportInstallError(code, path);
        return code;
    }
    form_.showLicense(true, licenseText(licence));
    return kOk;
}

void Win32StartupSteps::showPreview() {
    form_.showPreview(
        package::joinInside(state_.startupFolder, state_.header.slot(slots::preview).name())
            .value_or(std::string()));
}

void Win32StartupSteps::layOutWindow() {
    form_.layOutForStartup();
}

void Win32StartupSteps::runSilentInstall() {
    app::runSilentInstall(form_, state_);
}

void Win32StartupSteps::showWindow() {
    form_.showCentred();
}

void Win32StartupSteps::closeWindow() {
    form_.close();
}

void Win32StartupSteps::removePackageCopyFiles() {
    state_.packageCopyFiles.removeAll();
}

void Win32StartupSteps::deleteWallpaperFolder() {
    deleteFolderTree(state_.wallpaperFolder);
}

void Win32StartupSteps::restoreActiveDesktop() {
    if (activeDesktopBefore_) desktop::restoreActiveDesktop(*activeDesktopBefore_);
}

}  // namespace velumar::app
