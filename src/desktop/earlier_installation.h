// A reinstall over an earlier installation of the same wallpaper sets the earlier one aside
// before it writes anything, and gives it back, as it was, when the run fails or is cancelled;
// a run that succeeds deletes it. The earlier page and folder are renamed within
// "Web\Wallpaper\" (never copied, never through TEMP), beside a record of what was moved:
//
//   <name> dir.old        the earlier wallpaper folder, when there was one
//   <name>.html.old       the earlier page, when there was one
//   <name> dir.old.ini    the record, written before anything is moved
//
// ".old2", ".old3" ... in place of ".old" when those names are taken. The record's lines end
// in CR LF:
//
//   [Velumar earlier installation]
//   Wallpaper=<name>
//   Number=<1 for ".old", 2 for ".old2" ...>
//   Folder=yes|no                   the folder was set aside
//   Page=yes|no                     the page was set aside
//   State=aside|installed           installed: the new installation is complete
//   [end]
//
// A run ended from outside leaves the record behind. The next run of an installer of that
// wallpaper finds it at start-up, before it writes anything: "installed" means the new
// installation was complete, and what is aside is deleted; "aside" means the run ended before
// that, so what stands at the earlier places now is that run's, and is replaced by what is
// aside. The uninstaller deletes what is aside for its wallpaper along with the wallpaper.
// Text only: the moves are in earlier_installation_win32.h.
#ifndef VELUMAR_DESKTOP_EARLIER_INSTALLATION_H
#define VELUMAR_DESKTOP_EARLIER_INSTALLATION_H

#include <optional>
#include <string>
#include <string_view>

namespace velumar::desktop {

// The numbers tried for the aside names, from ".old" on.
inline constexpr int kAsideNumbers = 100;

struct EarlierInstallation {
    std::string wallpaperName;
    int number = 1;
    bool folder = false;
    bool page = false;
    bool installed = false;

    bool operator==(const EarlierInstallation&) const = default;
};

// Under the wallpaper root (Windows folder + "Web\Wallpaper\"), each with its number.
std::string asideFolderPath(std::string_view wallpaperRoot, std::string_view name, int number);
std::string asidePagePath(std::string_view wallpaperRoot, std::string_view name, int number);
std::string asideRecordPath(std::string_view wallpaperRoot, std::string_view name, int number);

std::string formatEarlierInstallation(const EarlierInstallation& earlier);

// The record, or nothing when the text is not exactly one (a heading or an end missing, an
// unknown or repeated key, a number out of range, a name that fails the wallpaper-name rule).
std::optional<EarlierInstallation> parseEarlierInstallation(std::string_view text);

// A record file is never larger.
inline constexpr size_t kLongestEarlierRecord = 512;

}  // namespace velumar::desktop

#endif
