// The install driver: what the Install button does, in its order and with its codes.
//
// runInstallation, in order; "if free" means no cancel request and the result still 0:
//    1  hourglass                             9  if free: openAfterInstallFile
//    2  showInstallStarted                   10  if free: registerUninstall (its code becomes
//    3  no cancel: closeDisplayProperties         the warning, the result stays 0)
//    4  no cancel: setAsideEarlierInstallation 11  always: the data file deleted
//       (the uninstall entry must not be     12  cancel or failure: cleanUpInstallation, which
//       another program's; an earlier            gives the earlier installation back;
//       installation moved aside, the            otherwise discardEarlierInstallation
//       start-up files written again)        13  cursor restored
//    5  if free: extractInstallEntries       14  no cancel and a warning: result = warning
//    6  if free: readDataFileHeader          15  no cancel: showInstallResult(result)
//    7  if free: expandDataFile
//    8  if free: setupWallpaper (warning)
// A cancelled run that met no error returns 0, shows no final state, and is cleaned up.
//
// The steps themselves sit behind InstallSteps, so the order is the same for the Win32 steps
// (install_steps_win32.h) and for the tests' recording fakes.
#ifndef VELUMAR_DESKTOP_INSTALL_DRIVER_H
#define VELUMAR_DESKTOP_INSTALL_DRIVER_H

#include <functional>
#include <vector>

#include "desktop/install_ui.h"
#include "package/byte_source.h"

namespace velumar::desktop {

class InstallSteps {
  public:
    virtual ~InstallSteps() = default;
    virtual void showHourglass() = 0;  // remembers the cursor in force
    virtual void restoreCursor() = 0;
    virtual void closeDisplayProperties() = 0;
    virtual ErrorCode setAsideEarlierInstallation() = 0;
    virtual ErrorCode extractInstallEntries() = 0;
    virtual ErrorCode readDataFileHeader() = 0;
    virtual ErrorCode expandDataFile() = 0;
    virtual ErrorCode setupWallpaper() = 0;
    virtual void openAfterInstallFile() = 0;
    virtual ErrorCode registerUninstall() = 0;
    virtual void deleteDataFile() = 0;
    virtual void cleanUpInstallation() = 0;
    virtual void discardEarlierInstallation() = 0;
    virtual void openDisplayProperties() = 0;
    virtual bool wallpaperPageExists() = 0;
};

ErrorCode runInstallation(InstallUi& ui, InstallSteps& steps);

// The success box when Display Properties are offered; Yes minimises and opens them.
void showInstallSuccess(InstallUi& ui, InstallSteps& steps, const InstallerState& state);

enum class InstallButtonOutcome {
    ignored,      // a run or its question was already under way
    declined,     // the overwrite question was answered Cancel; the window stays as it was
    closeWindow,  // result 0 (also a cancelled run without error): close and end
    stayOpen,     // failure: the window shows the failure text, Cancel ends the installer
};

// The Install button: busy flag, the overwrite question when the page exists or the folder
// was there before start-up, the run, the success box, busy flag cleared. The run's result and
// whether it installed the wallpaper are kept in the state.
InstallButtonOutcome installBtnClick(InstallUi& ui, InstallSteps& steps, InstallerState& state);

// The silent kind's run: the installation, then Display Properties when it succeeded.
ErrorCode runSilentInstall(InstallUi& ui, InstallSteps& steps);

// Writes one slot from the open package copy, with status text and a progress step when
// showProgress is set.
using EntryExtractor =
    std::function<ErrorCode(package::ByteSource& packageCopy, int slot, bool showProgress)>;

// Writes the slots the install step writes (package::installEntrySlots), in order, from the
// package copy while the result is 0 and no cancel is requested.
ErrorCode extractEntriesInOrder(InstallUi& ui, const package::PackageHeader& header,
                                package::ByteSource& packageCopy, const EntryExtractor& extract);

}  // namespace velumar::desktop

#endif
