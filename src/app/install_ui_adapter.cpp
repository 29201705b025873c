#include "app/install_ui_adapter.h"

#include <windows.h>

#include "app/fInstall.h"
#include "app/installer_state.h"
#include "desktop/install_steps_win32.h"
#include "package/extract_win32.h"
#include "util/dialogs_win32.h"

namespace velumar::app {

void InstallUiAdapter::setStatusText(std::string_view text) {
    form_.setStatusText(text);
}

void InstallUiAdapter::stepProgress() {
    form_.stepProgress();
}

void InstallUiAdapter::reportInstallError(package::ErrorCode code, const std::string& text) {
    package::reportInstallError(code, text);
}

void InstallUiAdapter::showErrorDialog(const std::string& message) {
    velumar::showErrorDialog(message);
}

void InstallUiAdapter::showInformationDialog(const std::string& message) {
    velumar::showInformationDialog(message);
}

void InstallUiAdapter::showInstallStarted() {
    form_.showInstallStarted();
}

void InstallUiAdapter::showInstallResult(package::ErrorCode code) {
    form_.showInstallResult(code);
}

bool InstallUiAdapter::cancelRequested() const {
    return installerState().cancelRequest;
}

bool InstallUiAdapter::busy() const {
    return installerState().busy;
}

void InstallUiAdapter::setBusy(bool busy) {
    installerState().busy = busy;
}

bool InstallUiAdapter::confirmOverwrite(const std::string& text) {
    return desktop::confirmOverwriteBox(form_.handle(), text);
}

bool InstallUiAdapter::askOpenDisplayProperties() {
    return desktop::successBox(form_.handle());
}

void InstallUiAdapter::bringToFront() {
    const HWND window = form_.handle();
    if (!window) return;
    ::BringWindowToTop(window);
    ::SetForegroundWindow(window);
}

void InstallUiAdapter::minimise() {
    if (package::showsWindow(form_.windowKind()) && form_.handle())
        ::ShowWindow(form_.handle(), SW_MINIMIZE);
}

desktop::InstallContext makeInstallContext(TInstallerForm& form) {
    const InstallerState& state = installerState();
    desktop::InstallContext context;
    context.header = state.header;
    context.windowsFolder = state.windowsFolder;
    context.systemFolder = state.systemFolder;
    context.packageCopyPath = state.packageCopy;
    context.wallpaperName = state.wallpaperName;
    context.wallpaperFolder = state.wallpaperFolder;
    context.dataFilePath = state.dataFilePath;
    context.folderWasCreated = state.folderWasCreated;
    context.extractEntry = [&form](package::ByteSource& packageCopy, int slot, bool showProgress) {
        return package::extractEntry(form.extractionTarget(), packageCopy, slot, showProgress);
    };
    return context;
}

}  // namespace velumar::app
