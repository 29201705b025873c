#include "app/fInstall.h"

#include <commctrl.h>

#include "app/app_texts.h"
#include "app/application_win32.h"
#include "app/control_ids.h"
#include "app/fMessageBox.h"
#include "app/fPreparingInstallWnd.h"
#include "app/form_geometry_win32.h"
#include "app/install_runs.h"
#include "app/layout.h"
#include "app/panels_win32.h"
#include "app/preview_win32.h"
#include "app/window_font_win32.h"
#include "desktop/install_steps_win32.h"
#include "package/extract_win32.h"
#include "package/package_rules.h"
#include "util/dialog_keys_win32.h"
#include "util/dialogs_win32.h"
#include "util/wallpaper_text.h"
#include "util/window_tree_win32.h"

namespace velumar::app {

using velumar::kOk;
namespace slots = package::slots;

TInstallerForm::TInstallerForm(TkvrMessageBox& messageBox, TpreparingInstallWnd& preparingWindow,
                               StartupDriver& startup)
    : startup_(startup),
      state_(startup.state()),
      startupSteps_(startup.state(), *this, messageBox, preparingWindow) {}

TInstallerForm::~TInstallerForm() = default;

bool TInstallerForm::create() {
    registerClass(kInstallerFormClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    if (!createWindow(kInstallerFormClass, WS_EX_TOPMOST | WS_EX_CONTROLPARENT, "",
                      kSingleBorderStyle, CW_USEDEFAULT, CW_USEDEFAULT, designed::windowWidth,
                      designed::windowHeight, Application::instance().window()))
        return false;
    createControls();
    // Single border, close box only, always on top; centred once the layout has run.
    setStyle(handle(), kSingleBorderStyle);
    startup_.runStartup(*this, startupSteps_);
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
    // Fills the content panel inside its bevel, in front of the preview image.
    moviePanel1_.create(contentPanel_->handle(), moviePanel1, 1, 1,
                        designed::contentPanel.width - 2, designed::contentPanel.height - 2);
    moviePanel1_.enableAllowScale = true;
    moviePanel1_.scaleFactor = 0;

    const Bounds memo = designed::licenseScrollBox;
    licenseScrollBox_ = createControl(
        "EDIT", "", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
        memo.left, memo.top, memo.width, memo.height, handle(), licenseScrollBox, WS_EX_CLIENTEDGE);

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
        createControl("BUTTON", std::string(caption), WS_TABSTOP | style, at.left, at.top, at.width,
                      at.height, panel, id);
    };
    // Install and Close are the default buttons of their stages (Enter presses them).
    button(texts::kInstallDesigned, designed::installBtn, installBtn,
           WS_VISIBLE | BS_DEFPUSHBUTTON);
    button(texts::kClose, designed::doneBtn, doneBtn, BS_DEFPUSHBUTTON);
    button(texts::kCancel, designed::cancelBtn, cancelBtn, WS_VISIBLE | BS_PUSHBUTTON);

    for (const int id : {licenseScrollBox, labCopying, progressBar, installBtn, doneBtn, cancelBtn})
        ::SendMessageA(control(id), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
}

void TInstallerForm::processMessages() {
    Application::instance().processMessages();
}

// ----- start-up's view -----

void TInstallerForm::setInstallerCaption(const std::string& wallpaperName) {
    ::SetWindowTextA(handle(), installCaption(wallpaperName).c_str());
}

void TInstallerForm::showLicense(bool shown, const std::string& text) {
    licenseShown_ = shown;
    const HWND install = control(installBtn);
    if (shown) {
        ::SetWindowTextA(licenseScrollBox_, text.c_str());
        ::ShowWindow(licenseScrollBox_, SW_SHOW);
        setStyle(handle(), kResizableStyle);
        Bounds memo = boundsOf(licenseScrollBox_);
        memo.height = kLicenseMinimumHeight;
        place(licenseScrollBox_, memo);
        installWidth_ = kAcceptAndInstallWidth;
        ::SetWindowTextA(install, texts::kAcceptAndInstall.data());
        ::ShowWindow(control(cancelBtn), SW_SHOW);
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

void TInstallerForm::showPreview(const std::string& path) {
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

void TInstallerForm::layOutForStartup() {
    ::SendMessageA(control(progressBar), PBM_SETRANGE32, 0, 10);
    layoutWindow();
}

void TInstallerForm::showCentred() {
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
    runInstallButton(*this, state_);
}

void TInstallerForm::cancelBtnClick() {
    if (!state_.busy) {
        close();
        return;
    }
    state_.cancelRequest = true;
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
    exitCode_ = startup_.endRun(startupSteps_);
    ::DestroyWindow(handle());
    Application::instance().terminate();
}

// ----- the window as the install driver sees it -----

void TInstallerForm::reportInstallError(velumar::ErrorCode code, const std::string& text) {
    package::reportInstallError(code, text);
}

void TInstallerForm::showErrorDialog(const std::string& message) {
    velumar::showErrorDialog(message);
}

void TInstallerForm::showInformationDialog(const std::string& message) {
    velumar::showInformationDialog(message);
}

bool TInstallerForm::cancelRequested() const {
    return state_.cancelRequest;
}

bool TInstallerForm::busy() const {
    return state_.busy;
}

void TInstallerForm::setBusy(bool busy) {
    state_.busy = busy;
}

bool TInstallerForm::confirmOverwrite(const std::string& text) {
    return desktop::confirmOverwriteBox(handle(), text);
}

bool TInstallerForm::askOpenDisplayProperties() {
    return desktop::successBox(handle());
}

void TInstallerForm::bringToFront() {
    if (!handle()) return;
    ::BringWindowToTop(handle());
    ::SetForegroundWindow(handle());
}

void TInstallerForm::minimise() {
    if (package::showsWindow(windowKind_) && handle()) ::ShowWindow(handle(), SW_MINIMIZE);
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
