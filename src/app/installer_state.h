// The installer's process-wide state, filled by start-up and read by the later steps. It lives
// for the whole run and belongs to the installer window's module.
#ifndef VELUMAR_APP_INSTALLER_STATE_H
#define VELUMAR_APP_INSTALLER_STATE_H

#include <cstdint>
#include <string>

#include "package/package_header.h"

namespace velumar::app {

struct InstallerState {
    package::PackageHeader header;  // the 3176 bytes read from the package copy
    std::string windowsFolder;      // with a trailing "\"
    std::string systemFolder;       // with a trailing "\"
    std::string installerPath;      // the running executable
    std::string packageCopy;        // a fresh folder under TEMP + "temp.dat"
    std::string wallpaperName;
    std::string wallpaperFolder;  // Windows folder + "Web\Wallpaper\" + name + " dir\"
    std::string dataFilePath;     // wallpaper folder + slot 8's name
    int32_t folderWasCreated = 0;
    bool busy = false;
    bool cancelRequest = false;
    bool installed = false;  // an installation ran to its end without failure
};

InstallerState& installerState();

}  // namespace velumar::app

#endif
