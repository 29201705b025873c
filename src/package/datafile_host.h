// What data file expansion needs from the installer window: the status line, the progress step
// (which includes the window's pause) and the installer's dialogs. The silent kind's window
// does nothing for status and progress.
#ifndef VELUMAR_PACKAGE_DATAFILE_HOST_H
#define VELUMAR_PACKAGE_DATAFILE_HOST_H

#include <string>
#include <string_view>

#include "util/error_codes.h"

namespace velumar::package {

class DataFileHost {
  public:
    virtual ~DataFileHost() = default;
    virtual void setStatusText(std::string_view text) = 0;
    virtual void stepProgress() = 0;
    // The installer's error reporter: its wording per code, in the error dialog.
    virtual void reportInstallError(ErrorCode code, const std::string& text) = 0;
    virtual void showErrorDialog(const std::string& message) = 0;
    virtual void showInformationDialog(const std::string& message) = 0;
};

}  // namespace velumar::package

#endif
