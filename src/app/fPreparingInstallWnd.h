// The preparing window (class TpreparingInstallWnd, Win32 build only): the application's main
// window, one centred line saying that the installation is being prepared. It is never hidden
// the ordinary way: when it is not meant to be seen it sits off-screen at (-3000, -3000). Its
// close box and Escape never close it: they ask the wait it stands for to end.
#ifndef VELUMAR_APP_FPREPARINGINSTALLWND_H
#define VELUMAR_APP_FPREPARINGINSTALLWND_H

#include "util/window_base_win32.h"

namespace velumar::app {

class TpreparingInstallWnd : public WindowBase {
  public:
    // Creates the window at its home position, remembers it and parks it (FormCreate).
    bool create();

    void parkOffScreen();
    // Shown at its home position, with no end requested.
    void showAtHome();
    // The user asked to stop waiting: the close box, or Escape, since it was last shown.
    bool endRequested() const noexcept { return endRequested_; }

    POINT home() const noexcept { return home_; }

  protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    POINT home_{420, 400};
    bool endRequested_ = false;
};

}  // namespace velumar::app

#endif
