// The installer's two message dialogs (Win32 build only): modal, centred on the screen, the
// message, a title, an icon and exactly one button captioned "&Abort". Closing by the button
// or by the close box simply returns.
#ifndef VELUMAR_UTIL_DIALOGS_WIN32_H
#define VELUMAR_UTIL_DIALOGS_WIN32_H

#include <string>

namespace velumar {

// Title "Error", error icon.
void showErrorDialog(const std::string& message);

// Title "Information", information icon.
void showInformationDialog(const std::string& message);

}  // namespace velumar

#endif
