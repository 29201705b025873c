#include "app/fInstall.h"

#include <commctrl.h>


#include "app/app_texts.h"
#include "app/application_win32.h"
#include "app/control_ids.h"
#include "app/dialog_keys_win32.h"
#include "app/exit_codes.h"
#include "app/form_geometry_win32.h"
#include "app/fMessageBox.h"
#include "app/fPreparingInstallWnd.h"
#include "app/install_runs.h"
#include "app/layout.h"
#include "app/panels_win32.h"
#include "package/package_rules.h"
#include "util/files_win32.h"
#include "util/paths.h"
#include "util/window_tree_win32.h"

namespace velumar::app {

using velumar::kOk;
namespace slots = package::slots;

InstallerState& installerState() {
    static InstallerState state;
    return state;
}


TInstallerForm::TInstallerForm(TkvrMessageBox& messageBox, TpreparingInstallWnd& preparingWindow)
    : messageBox_(messageBox), preparingWindow_(preparingWindow) {}

TInstallerForm::~TInstallerForm() = default;

bool TInstallerForm::create() {
    registerClass(kInstallerFormClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    if (!createWindow(kInstallerFormClass, WS_EX_TOPMOST | WS_EX_CONTROLPARENT, "",
                      kSingleBorderStyle, CW_USEDEFAULT, CW_USEDEFAULT, designed::windowWidth,
                      designed::windowHeight, Application::instance().window()))
        return false;
    createControls();
    formCreate();
    return true;
}

HWND TInstallerForm::control(int id) const {
    switch (id) {
        case contentPanel:
            return contentPanel_ ? contentPanel_->handle() : nullptr;
        case buttonPanel:
            return buttonPanel_ ? buttonPanel_->handle() : nullptr;
        case bmpPanel:
            return bmpPanel_ ? bmpPanel_->handle() : nullptr;
        case moviePanel1:
            return moviePanel1_.handle();
        case licenseScrollBox:
            return licenseScrollBox_;
        default:
            return buttonPanel_ ? ::GetDlgItem(buttonPanel_->handle(), id) : nullptr;
    }
}

void TInstallerForm::createControls() {
    font_.reset(createWindowFont());
    contentPanel_ = std::make_unique<PanelWindow>();
    contentPanel_->create(handle(), contentPanel, designed::contentPanel, true);
    bmpPanel_ = std::make_unique<ImageWindow>();
    bmpPanel_->create(contentPanel_->handle(), bmpPanel, designed::bmpPanel);
    moviePanel1_.setMessageHandler(&handleOneMessage);
    moviePanel1_.setPendingMessagesHandler(&processPendingMessages);
    // Fills the content panel inside its bevel, in front of the preview image.
    moviePanel1_.create(contentPanel_->handle(), moviePanel1, 1, 1,
                        designed::contentPanel.width - 2, designed::contentPanel.height - 2);
    moviePanel1_.enableAllowScale = true;
    moviePanel1_.scaleFactor = 0;

    const Bounds memo = designed::licenseScrollBox;
    licenseScrollBox_ = createControl(
        "EDIT", "", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
        memo.left, memo.top, memo.width, memo.height, handle(), licenseScrollBox,
        WS_EX_CLIENTEDGE);

    buttonPanel_ = std::make_unique<PanelWindow>();
    buttonPanel_->create(handle(), buttonPanel, designed::buttonPanel, false);
    const HWND panel = buttonPanel_->handle();
    const Bounds label = designed::labCopying;
    createControl("STATIC", "", SS_LEFT | SS_NOPREFIX, label.left, label.top, label.width,
                  label.height, panel, labCopying);
    const Bounds bar = designed::progressBar;
    const HWND progress = createControl(PROGRESS_CLASSA, "", WS_VISIBLE, bar.left, bar.top,
                                        bar.width, bar.height, panel, progressBar);
    ::SendMessageA(progress, PBM_SETRANGE32, 0, 100);
    ::SendMessageA(progress, PBM_SETSTEP, 1, 0);
    const auto button = [&](std::string_view caption, const Bounds& at, int id, DWORD style) {
        createControl("BUTTON", std::string(caption), WS_TABSTOP | style, at.left, at.top,
                      at.width, at.height, panel, id);
    };
    // Install and Close are the default buttons of their stages (Enter presses them).
    button(texts::kInstallDesigned, designed::installBtn, installBtn,
           WS_VISIBLE | BS_DEFPUSHBUTTON);
    button(texts::kClose, designed::doneBtn, doneBtn, BS_DEFPUSHBUTTON);
    button(texts::kCancel, designed::cancelBtn, cancelBtn, WS_VISIBLE | BS_PUSHBUTTON);

    for (const int id : {licenseScrollBox, labCopying, progressBar, installBtn, doneBtn, cancelBtn})
        ::SendMessageA(control(id), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
}

void TInstallerForm::formCreate() {
    // Single border, close box only, always on top; centred once the layout has run.
    setStyle(handle(), kSingleBorderStyle);
    runStartup();
}

void TInstallerForm::processMessages() {
    Application::instance().processMessages();
}

// Start-up's: its files for the wallpaper folder go where start-up keeps them.
package::ExtractionTarget TInstallerForm::extractionTarget() {
    InstallerState& state = installerState();
    return {state.header, state.windowsFolder,
            state.startupFolder.empty() ? state.wallpaperFolder : state.startupFolder, this};
}

// ----- layout -----

void TInstallerForm::layoutWindow() {
    RECT outer;
    ::GetWindowRect(handle(), &outer);
    ::SetWindowPos(handle(), nullptr, 0, 0, kLayoutWidth, outer.bottom - outer.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    fitWindowHeight();
}

void TInstallerForm::fitWindowHeight() {
    RECT outer;
    ::GetWindowRect(handle(), &outer);
    // The frame is measured from the style rather than from the live window: a frame change on a
    // hidden window may not have reached its client rectangle yet. The memo counts with the
    // height start-up gave it; a resize on the way may have stretched it already.
    const int clientHeight = fittedWindowHeight(0, 0, boundsOf(contentPanel_->handle()),
                                                licenseShown_, kLicenseMinimumHeight);
    RECT frame{0, 0, 100, clientHeight};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrA(handle(), GWL_STYLE)),
                         FALSE, static_cast<DWORD>(::GetWindowLongPtrA(handle(), GWL_EXSTYLE)));
    ::SetWindowPos(handle(), nullptr, 0, 0, outer.right - outer.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TInstallerForm::formResize() {
    if (!contentPanel_ || !buttonPanel_) return;
    RECT client;
    ::GetClientRect(handle(), &client);
    const ResizedLayout layout =
        resizedLayout(client.right, client.bottom, boundsOf(contentPanel_->handle()));
    place(contentPanel_->handle(), layout.contentPanel);
    place(buttonPanel_->handle(), layout.buttonPanel);
    place(licenseScrollBox_, layout.licenseScrollBox);
    place(moviePanel1_.handle(),
          {1, 1, layout.contentPanel.width - 2, layout.contentPanel.height - 2});
    const ButtonRow row = buttonRow(layout.buttonPanel.width, installWidth_);
    place(control(progressBar), row.progressBar);
    place(control(installBtn), row.installBtn);
    place(control(cancelBtn), row.cancelBtn);
    place(control(doneBtn), row.cancelBtn);
}

// ----- progress and states -----

void TInstallerForm::setStatusText(std::string_view text) {
    if (!package::showsWindow(windowKind_)) return;
    const HWND label = control(labCopying);
    ::ShowWindow(label, SW_SHOW);
    ::SetWindowTextA(label, std::string(text).c_str());
    ::UpdateWindow(label);
}

void TInstallerForm::stepProgress() {
    if (!package::showsWindow(windowKind_)) return;
    ::SendMessageA(control(progressBar), PBM_STEPIT, 0, 0);
    pauseBriefly();
}

void TInstallerForm::pauseBriefly() {
    pauseTimer_.pause(handle());
}

void TInstallerForm::setProgress(int position) {
    ::SendMessageA(control(progressBar), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void TInstallerForm::showInstallStarted() {
    if (!package::showsWindow(windowKind_)) return;
    ::EnableWindow(control(installBtn), FALSE);
    ::ShowWindow(control(cancelBtn), SW_SHOW);
    processMessages();
    setStatusText(texts::kPreparing);
    stepProgress();
    processMessages();
}

void TInstallerForm::showInstallResult(ErrorCode code) {
    if (!package::showsWindow(windowKind_)) return;
    if (code == kOk) {
        const auto maximum = ::SendMessageA(control(progressBar), PBM_GETRANGE, FALSE, 0);
        setProgress(static_cast<int>(maximum));
    }
    pauseBriefly();
    pauseBriefly();
    setProgress(0);
    if (code == kOk) {
        setStatusText(texts::kComplete);
        ::ShowWindow(control(doneBtn), SW_SHOW);
        ::SetFocus(control(doneBtn));
        ::ShowWindow(control(installBtn), SW_HIDE);
        ::ShowWindow(control(cancelBtn), SW_HIDE);
        processMessages();
        ::EnableWindow(control(installBtn), FALSE);
    } else {
        setStatusText(std::string(texts::kInstallFailed) + std::to_string(code));
    }
}

// ----- buttons and closing -----

void TInstallerForm::installBtnClick() {
    if (busy()) return;
    runInstallButton(*this);
}

void TInstallerForm::cancelBtnClick() {
    InstallerState& state = installerState();
    if (!state.busy) {
        close();
        return;
    }
    state.cancelRequest = true;
    setStatusText(texts::kAborted);
    setProgress(0);
    processMessages();
    pauseBriefly();
    pauseBriefly();
}

void TInstallerForm::doneBtnClick() {
    close();
}

void TInstallerForm::close() {
    if (busy() || closing_ || !handle()) return;
    formClose();
}

void TInstallerForm::formClose() {
    closing_ = true;
    if (package::showsWindow(windowKind_)) moviePanel1_.unloadMovie();
    InstallerState& state = installerState();
    // The package copy's folder goes with what start-up made in it; anything else found there
    // stays.
    state.packageCopyFiles.removeAll();
    // What start-up wrote for a wallpaper that was never installed goes with the folder this run
    // made; a folder that was there before is never touched.
    if (state.folderWasCreated != 0 && !state.installationKept)
        deleteFolderTree(state.wallpaperFolder);
    // The Active Desktop that the Flash player step switched off is the user's again when this
    // run installed nothing.
    if (activeDesktopBefore_ && !state.installationKept)
        desktop::restoreActiveDesktop(*activeDesktopBefore_);
    exitCode_ = installerExitCode(startupCode_, state.installed, state.installResult);
    ::DestroyWindow(handle());
    Application::instance().terminate();
}

// Close once the installation is done, Install before; none while Install is disabled.
int TInstallerForm::defaultButton() const {
    if (::IsWindowVisible(control(doneBtn))) return doneBtn;
    const HWND install = control(installBtn);
    return ::IsWindowVisible(install) && ::IsWindowEnabled(install) ? installBtn : 0;
}

LRESULT TInstallerForm::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case installBtn:
                    installBtnClick();
                    return 0;
                case cancelBtn:
                    cancelBtnClick();
                    return 0;
                case doneBtn:
                    doneBtnClick();
                    return 0;
                case IDCANCEL:  // Escape
                    if (::IsWindowVisible(control(cancelBtn))) cancelBtnClick();
                    return 0;
                default:
                    return defaultProc(message, wParam, lParam);
            }
        case WM_CLOSE:
            close();
            return 0;
        case DM_GETDEFID:
            return defaultButtonReply(handle(), defaultButton());
        case WM_NEXTDLGCTL:
            moveFocus(handle(), wParam, lParam);
            return 0;
        case WM_ACTIVATE:
            focusMemory_.onActivate(handle(), wParam);
            return defaultProc(message, wParam, lParam);
        case WM_SETFOCUS:
            focusMemory_.restore(handle(), control(defaultButton()));
            return 0;
        case WM_SIZE:
            formResize();
            return defaultProc(message, wParam, lParam);
        case WM_GETMINMAXINFO:
            if (licenseShown_) {
                auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
                limits->ptMinTrackSize = {kMinimumWidth, kMinimumHeight};
                return 0;
            }
            return defaultProc(message, wParam, lParam);
        case WM_TIMER:
            if (pauseTimer_.onTimer(handle(), wParam)) return 0;
            return defaultProc(message, wParam, lParam);
        default:
            return defaultProc(message, wParam, lParam);
    }
}

}  // namespace velumar::app
