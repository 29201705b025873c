// The installer window (class TInstallerForm, Win32 build only): the preview (a picture, or the
// movie panel), the optional licence memo, the status line, the progress bar and the Install,
// Close and Cancel buttons. Its creation runs the whole start-up sequence; closing it, by any
// means, deletes the package copy's folder and ends the program.
#ifndef VELUMAR_APP_FINSTALL_H
#define VELUMAR_APP_FINSTALL_H

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/dialog_keys_win32.h"
#include "app/installer_state.h"
#include "app/pause_timer_win32.h"
#include "app/window_base_win32.h"
#include "desktop/active_desktop_win32.h"
#include "desktop/flash_player.h"
#include "desktop/install_ui.h"
#include "flash/FlashPanel.h"
#include "package/extract_win32.h"
#include "util/handles_win32.h"

namespace velumar::app {

class TkvrMessageBox;
class TpreparingInstallWnd;
class PanelWindow;
class ImageWindow;

class TInstallerForm : public WindowBase, public desktop::InstallUi {
  public:
    TInstallerForm(TkvrMessageBox& messageBox, TpreparingInstallWnd& preparingWindow);
    ~TInstallerForm() override;

    // Creates the window and runs FormCreate (start-up); shows it when start-up succeeded for a
    // window kind.
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

    package::ExtractionTarget extractionTarget();

  protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    int defaultButton() const;
    void createControls();
    void formCreate();
    void runStartup();
    void formResize();
    void formClose();
    void processMessages();

    // The start-up steps.
    velumar::ErrorCode locateInstaller();
    velumar::ErrorCode makePackageCopy();
    velumar::ErrorCode readPackageHeader();
    velumar::ErrorCode checkPackageCopy(package::ByteSource& copy);
    void prepareWallpaperFolder();
    velumar::ErrorCode extractSlot(int slot);
    velumar::ErrorCode extractOpenAfterInstallFile();
    velumar::ErrorCode extractFlashInstaller();
    velumar::ErrorCode extractLicense();
    velumar::ErrorCode extractPreview();
    velumar::ErrorCode runFlashPlayerStep();
    void setInstallerCaption(const std::string& wallpaperName);
    void setUpLicense(velumar::ErrorCode& code);
    void showPreview();
    void showPicture(const std::string& path);

    void setProgress(int position);
    HWND control(int id) const;

    TkvrMessageBox& messageBox_;
    TpreparingInstallWnd& preparingWindow_;
    uint8_t windowKind_ = 0;
    bool licenseShown_ = false;
    bool openAfterInstall_ = false;
    desktop::FlashPlayerVersion flashVersion_;
    int installWidth_ = 80;
    bool closing_ = false;
    velumar::ErrorCode startupCode_ = 0;
    int exitCode_ = 0;
    bool movieFocused_ = false;
    // The Active Desktop as the Flash player step found it, when it switched it off.
    std::optional<desktop::ActiveDesktopState> activeDesktopBefore_;
    // "flashax.exe" as start-up wrote and checked it, held until the Flash player step.
    FileHandle flashInstaller_;

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
