// The installer window (class TInstallerForm, Win32 build only): the preview (a picture, or the
// movie panel), the optional licence memo, the status line, the progress bar and the Install,
// Close and Cancel buttons: the install driver's InstallUi and the start-up driver's view. Its
// creation runs start-up (app/startup_driver.h); closing it, by any means, runs the driver's end
// of the run and ends the program.
#ifndef VELUMAR_APP_FINSTALL_H
#define VELUMAR_APP_FINSTALL_H

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/pause_timer_win32.h"
#include "app/startup_steps_win32.h"
#include "desktop/install_ui.h"
#include "flash/FlashPanel.h"
#include "util/dialog_keys_win32.h"
#include "util/handles_win32.h"
#include "util/window_base_win32.h"

namespace velumar::app {

class TkvrMessageBox;
class TpreparingInstallWnd;
class PanelWindow;
class ImageWindow;

class TInstallerForm : public WindowBase, public desktop::InstallUi {
  public:
    TInstallerForm(TkvrMessageBox& messageBox, TpreparingInstallWnd& preparingWindow,
                   StartupDriver& startup);
    ~TInstallerForm() override;

    // Creates the window and runs start-up; shows it when start-up succeeded for a window kind.
    bool create();

    uint8_t windowKind() const noexcept { return windowKind_; }
    // The process's exit code (app/exit_codes.h), once the window has closed.
    int exitCode() const noexcept { return exitCode_; }

    // The install driver's view of the window (desktop::InstallUi). Status, progress and the
    // states do nothing for the silent kind; the boxes are owned by the window.
    void setStatusText(std::string_view text) override;
    void stepProgress() override;
    void showInstallStarted() override;
    void showInstallResult(velumar::ErrorCode code) override;
    void reportInstallError(velumar::ErrorCode code, const std::string& text) override;
    void showErrorDialog(const std::string& message) override;
    void showInformationDialog(const std::string& message) override;
    bool cancelRequested() const override;
    bool busy() const override;
    void setBusy(bool busy) override;
    bool confirmOverwrite(const std::string& text) override;
    bool askOpenDisplayProperties() override;
    void bringToFront() override;
    void minimise() override;

    void pauseBriefly();

    void layoutWindow();
    void fitWindowHeight();

    void installBtnClick();
    void cancelBtnClick();
    void doneBtnClick();
    // Closes the window unless busy (FormCloseQuery), then FormClose.
    void close();

    // The start-up driver's view steps.
    void setWindowKind(uint8_t kind) noexcept { windowKind_ = kind; }
    void setInstallerCaption(const std::string& wallpaperName);
    // The licence memo with its text and "Accept and Install", or Install alone.
    void showLicense(bool shown, const std::string& text);
    void showPreview(const std::string& path);
    void layOutForStartup();
    // Centred on the screen, on top, shown.
    void showCentred();

  protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    int defaultButton() const;
    void createControls();
    void formResize();
    void formClose();
    void processMessages();

    void showPicture(const std::string& path);

    void setProgress(int position);
    HWND control(int id) const;

    StartupDriver& startup_;
    InstallerState& state_;
    Win32StartupSteps startupSteps_;
    uint8_t windowKind_ = 0;
    bool licenseShown_ = false;
    int installWidth_ = 80;
    bool closing_ = false;
    int exitCode_ = 0;
    bool movieFocused_ = false;

    GdiObject<HFONT> font_;
    std::unique_ptr<PanelWindow> contentPanel_;
    std::unique_ptr<PanelWindow> buttonPanel_;
    std::unique_ptr<ImageWindow> bmpPanel_;
    flash::TFlashPanel moviePanel1_;
    HWND licenseScrollBox_ = nullptr;
    FocusMemory focusMemory_;
    PauseTimer pauseTimer_{1};
};

}  // namespace velumar::app

#endif
