// The seam between the install driver and the installer window, and the installer's state.
// The driver talks to the window only through InstallUi.
#ifndef VELUMAR_DESKTOP_INSTALL_UI_H
#define VELUMAR_DESKTOP_INSTALL_UI_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "desktop/desktop_record.h"
#include "package/datafile_host.h"
#include "package/package_header.h"
#include "util/created_files.h"
#include "util/error_codes.h"

namespace velumar::desktop {

// What the driver asks of the installer window. For the silent kind (window kind 4) the status,
// progress, pause and state operations do nothing; the boxes are still real.
class InstallUi : public package::DataFileHost {
  public:
    // Status line and progress step with its pause come from DataFileHost.
    // Install disabled, Cancel shown, "Preparing for installation...", one progress step.
    virtual void showInstallStarted() = 0;
    // The final state for a result code.
    virtual void showInstallResult(ErrorCode code) = 0;

    // Set by Cancel while an installation runs; the driver tests it before every step.
    virtual bool cancelRequested() const = 0;
    virtual bool busy() const = 0;
    virtual void setBusy(bool busy) = 0;

    // The overwrite question: caption "Confirm", question icon, OK and Cancel. True for OK.
    virtual bool confirmOverwrite(const std::string& text) = 0;
    // The success box: caption "Installation Successful.", Yes and No, no icon. True for Yes.
    virtual bool askOpenDisplayProperties() = 0;
    virtual void bringToFront() = 0;
    virtual void minimise() = 0;
};

// The installer's state for one run: filled by start-up, read by the install driver, its steps
// and the window as it closes. It lives for the whole run in the installer window's module.
// Folders end in "\".
struct InstallerState {
    package::PackageHeader header;  // the 3176 bytes read from the package copy
    std::string windowsFolder;
    std::string systemFolder;
    std::string installerPath;    // the running executable
    std::string packageCopyPath;  // a fresh folder under TEMP + "temp.dat"
    // What start-up made in the package copy's folder, that folder included: removed at the end.
    CreatedFiles packageCopyFiles;
    std::string wallpaperName;
    std::string wallpaperFolder;  // Windows folder + "Web\Wallpaper\" + name + " dir\"
    std::string dataFilePath;     // wallpaper folder + slot 8's name
    // 1 when start-up had to create the wallpaper folder, 0 when it existed before.
    int32_t folderWasCreated = 0;
    // An earlier installation of this wallpaper (its folder or its page) was there at start-up.
    // Start-up then writes its files beside the package copy instead of into that folder, and
    // the install step sets the earlier installation aside before it writes anything.
    bool earlierInstallation = false;
    std::string startupFolder;  // where start-up writes slots 3 to 5, with its final "\"

    bool busy = false;
    bool cancelRequest = false;
    bool installed = false;  // an installation ran to its end without failure
    // An installation left its files in place: it succeeded, or only its registration failed.
    bool installationKept = false;
    ErrorCode installResult = 0;  // the last installation's result
    // The user's desktop values as start-up found them, kept when the Flash player step then
    // emptied the Active Desktop wallpaper to release the control: the installation records the
    // user's wallpaper from here, not the empty value the step left.
    std::optional<DesktopValues> desktopBeforeFlashStep;
};

}  // namespace velumar::desktop

#endif
