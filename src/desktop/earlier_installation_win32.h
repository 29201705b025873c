// Setting an earlier installation of the same wallpaper aside before a reinstall writes
// anything, and giving it back or deleting it at the run's end (earlier_installation.h; Win32
// build only).
#ifndef VELUMAR_DESKTOP_EARLIER_INSTALLATION_WIN32_H
#define VELUMAR_DESKTOP_EARLIER_INSTALLATION_WIN32_H

#include <optional>
#include <string>

#include "desktop/earlier_installation.h"
#include "util/error_codes.h"

namespace velumar::desktop {

class EarlierInstallationAside {
  public:
    // wallpaperRoot is the Windows folder + "Web\Wallpaper\".
    EarlierInstallationAside(std::string wallpaperRoot, std::string wallpaperName);
    EarlierInstallationAside(const EarlierInstallationAside&) = delete;
    EarlierInstallationAside& operator=(const EarlierInstallationAside&) = delete;

    // Moves the earlier folder and page aside, when they are there, after writing the record.
    // 0 (also when there was nothing to move), or the system's code for what failed; nothing
    // stays moved then.
    velumar::ErrorCode setAside();

    // Something was set aside and has not been given back or deleted.
    bool holdsEarlier() const noexcept { return record_.has_value(); }
    // Where the earlier wallpaper folder now is, with its final "\"; empty when none was set
    // aside.
    std::string earlierFolder() const;

    // Once the run has removed what it wrote at the earlier places: each back in its place and
    // the record deleted. What cannot go back (its place is taken) stays aside with the record,
    // for the next run to find; false then.
    bool putBack();

    // The new installation is complete: the record says so, then what is aside is deleted.
    void discard();

  private:
    std::string folderPath() const;
    std::string pagePath() const;

    std::string root_;
    std::string name_;
    std::optional<EarlierInstallation> record_;
};

// At start-up, before anything of the wallpaper is written: what a run of an installer of this
// wallpaper that was ended from outside left aside is put back, or deleted when that run had
// completed its installation.
void recoverEarlierInstallations(const std::string& wallpaperRoot, const std::string& name);

// The uninstaller's: what is aside for this wallpaper, with its records, deleted.
void deleteEarlierInstallations(const std::string& wallpaperRoot, const std::string& name);

// The record "<name> dir.old<number>.ini" under the wallpaper root when it is whole and
// belongs to this wallpaper and number.
std::optional<EarlierInstallation> readEarlierRecord(const std::string& wallpaperRoot,
                                                     const std::string& name, int number);

// Deletes what the record says is aside, then the record once nothing of it is left.
void deleteAsideCopies(const std::string& wallpaperRoot, const EarlierInstallation& record);

}  // namespace velumar::desktop

#endif
