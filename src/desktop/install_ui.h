// The seam between the install driver and the installer window, and the installation's
// context. The driver talks to the window only through InstallUi; the window's module owns the
// InstallContext for the whole run.
#ifndef VELUMAR_DESKTOP_INSTALL_UI_H
#define VELUMAR_DESKTOP_INSTALL_UI_H

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "package/byte_source.h"
#include "package/datafile_host.h"
#include "package/error_codes.h"
#include "package/package_header.h"

namespace velumar::desktop {

using package::ErrorCode;

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

// Writes one slot from the open package copy (the entry extraction of the package subsystem),
// with status text and a progress step when showProgress is set.
using EntryExtractor =
    std::function<ErrorCode(package::ByteSource& packageCopy, int slot, bool showProgress)>;

// The process-wide installer state the driver reads. Folders end in "\".
struct InstallContext {
    package::PackageHeader header;
    std::string windowsFolder;
    std::string systemFolder;
    std::string packageCopyPath;
    std::string wallpaperName;
    std::string wallpaperFolder;
    std::string dataFilePath;
    // 1 when start-up had to create the wallpaper folder, 0 when it existed before.
    int32_t folderWasCreated = 0;
    EntryExtractor extractEntry;
    // Where impborl.dll is loaded from for imploded data records; empty: the Windows folder.
    std::string compressionFolder;
};

}  // namespace velumar::desktop

#endif
