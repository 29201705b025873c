// The install driver's steps on Windows, over the installer's state (Win32 build only).
// One object serves one run; it holds the data file expansion and the data file header from the
// install step to the end of the run, and what the run must give back when it fails: the
// earlier installation it set aside, the uninstall entry and the desktop as they were.
#ifndef VELUMAR_DESKTOP_INSTALL_STEPS_WIN32_H
#define VELUMAR_DESKTOP_INSTALL_STEPS_WIN32_H

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "desktop/desktop_record.h"
#include "desktop/earlier_installation_win32.h"
#include "desktop/install_driver.h"
#include "desktop/uninstall_entry_win32.h"
#include "package/data_file.h"
#include "package/datafile_win32.h"

namespace velumar::desktop {

class Win32InstallSteps final : public InstallSteps {
  public:
    Win32InstallSteps(InstallUi& ui, const InstallerState& state);

    void showHourglass() override;
    void restoreCursor() override;
    void closeDisplayProperties() override;
    ErrorCode setAsideEarlierInstallation() override;
    ErrorCode extractInstallEntries() override;
    ErrorCode readDataFileHeader() override;
    ErrorCode expandDataFile() override;
    ErrorCode setupWallpaper() override;
    void openAfterInstallFile() override;
    ErrorCode registerUninstall() override;
    void deleteDataFile() override;
    void cleanUpInstallation() override;
    void discardEarlierInstallation() override;
    void openDisplayProperties() override;
    bool wallpaperPageExists() override;

    const package::DataFileHeader& dataFileHeader() const noexcept { return dataHeader_; }
    // The run ended with its files in place: it succeeded, or only its registration failed.
    bool installationKept() const noexcept { return kept_; }

  private:
    ErrorCode writeStartupFilesAgain();
    std::string pagePath() const;

    InstallUi& ui_;
    const InstallerState& state_;
    package::DataFileExpander expander_;
    package::DataFileHeader dataHeader_;
    HCURSOR savedCursor_ = nullptr;
    EarlierInstallationAside aside_;
    // The wallpaper's folder and page are this run's to write and, on failure, to remove: no
    // earlier installation stood there, or it has been set aside.
    bool placesAreOurs_;
    std::vector<std::string> ownUninstallers_;
    std::optional<UninstallEntry> entryBefore_;
    std::optional<DesktopValues> desktopBefore_;
    std::string installedBackground_;
    bool kept_ = false;
};

// Starts the Display Properties panel (rundll32.exe by its full path, from the system folder or
// else the Windows folder, with the system folder as its working folder) and looks for its
// window up to 1000 times, when the header offers it.
void openDisplayProperties(const package::PackageHeader& header, const std::string& systemFolder,
                           const std::string& windowsFolder);

// Presses Cancel (dialog item 2) in an open "Display Properties" window.
void closeDisplayProperties();

// The two boxes of the Install button, owned by the installer window.
bool confirmOverwriteBox(HWND owner, const std::string& text);
bool successBox(HWND owner);

}  // namespace velumar::desktop

#endif
