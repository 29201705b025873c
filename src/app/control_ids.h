// Window classes and control ids of the installer's windows, in one place: the windows create
// their children with these ids and the end-to-end tests find them by them.
#ifndef VELUMAR_APP_CONTROL_IDS_H
#define VELUMAR_APP_CONTROL_IDS_H

namespace velumar::app {

inline constexpr char kInstallerFormClass[] = "TInstallerForm";
inline constexpr char kMessageBoxClass[] = "TkvrMessageBox";
inline constexpr char kPreparingWindowClass[] = "TpreparingInstallWnd";
inline constexpr char kApplicationClass[] = "TApplication";
inline constexpr char kPanelClass[] = "TPanel";
inline constexpr char kImageClass[] = "TImage";

enum ControlId : int {
    // The installer window.
    contentPanel = 100,
    bmpPanel,
    moviePanel1,
    licenseScrollBox,
    buttonPanel,
    labCopying,
    progressBar,
    installBtn,
    doneBtn,
    cancelBtn,
    // The message box.
    messageLabel = 200,
    continueBtn,
    messageCancelBtn,
    // The preparing window.
    label1 = 300,
};

}  // namespace velumar::app

#endif
