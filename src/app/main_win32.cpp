// The installer's program entry: the application, then the preparing window (the main
// window), the message box, the start-up driver with the run's state, and the installer window,
// whose creation runs start-up. The message
// loop runs for the window kinds only; the silent kind has finished by then.
#include <windows.h>

#include <commctrl.h>

#include "app/app_texts.h"
#include "app/application_win32.h"
#include "app/exit_codes.h"
#include "app/fInstall.h"
#include "app/fMessageBox.h"
#include "app/fPreparingInstallWnd.h"
#include "app/startup_driver.h"
#include "package/package_header.h"
#include "util/handles_win32.h"
#include "util/system_calls_win32.h"
#include "util/system_libraries_win32.h"

namespace {

int runInstaller() {
    using namespace velumar::app;
    // OLE for the hosted Flash control; it outlives every window below.
    const velumar::ComInitGuard ole(velumar::ComInitGuard::Mode::Ole);
    velumar::sys::initCommonControls(ICC_PROGRESS_CLASS);

    Application& application = Application::instance();
    application.initialize();
    application.setTitle(std::string(texts::kApplicationTitle));

    TpreparingInstallWnd preparingWindow;
    preparingWindow.create();
    TkvrMessageBox messageBox;
    messageBox.create();
    StartupDriver startup;
    TInstallerForm installerForm(messageBox, preparingWindow, startup);
    installerForm.create();

    if (!application.terminated() && velumar::package::showsWindow(installerForm.windowKind()))
        application.run(preparingWindow.handle());
    return installerForm.exitCode();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        velumar::loadLibrariesOnlyFromSystemFolder();
        return runInstaller();
    } catch (...) {
        return velumar::app::kExitFailed;
    }
}
