// The installer window as the install driver sees it (Win32 build only): the status line,
// progress, pause and states come from TInstallerForm; the busy flag and the cancel request
// from the installer's state; the boxes are owned by the window. The context is taken from the
// installer's state as start-up left it, with entry extraction over the package copy.
#ifndef VELUMAR_APP_INSTALL_UI_ADAPTER_H
#define VELUMAR_APP_INSTALL_UI_ADAPTER_H

#include <string>
#include <string_view>

#include "desktop/install_ui.h"

namespace velumar::app {

class TInstallerForm;

class InstallUiAdapter final : public desktop::InstallUi {
  public:
    explicit InstallUiAdapter(TInstallerForm& form) : form_(form) {}

    void setStatusText(std::string_view text) override;
    void stepProgress() override;
    void reportInstallError(package::ErrorCode code, const std::string& text) override;
    void showErrorDialog(const std::string& message) override;
    void showInformationDialog(const std::string& message) override;

    void showInstallStarted() override;
    void showInstallResult(package::ErrorCode code) override;

    bool cancelRequested() const override;
    bool busy() const override;
    void setBusy(bool busy) override;

    bool confirmOverwrite(const std::string& text) override;
    bool askOpenDisplayProperties() override;
    void bringToFront() override;
    void minimise() override;

  private:
    TInstallerForm& form_;
};

// The installation's context from the installer's state; its entry extraction writes through
// the form's extraction target.
desktop::InstallContext makeInstallContext(TInstallerForm& form);

}  // namespace velumar::app

#endif
