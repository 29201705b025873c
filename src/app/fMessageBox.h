// The message box (class TkvrMessageBox, Win32 build only): a non-modal prompt that asks the
// user to close all other applications and answers Continue (1) or Cancel (2). Closing it by its
// close box counts as Cancel, so that a wait for the answer always ends.
#ifndef VELUMAR_APP_FMESSAGEBOX_H
#define VELUMAR_APP_FMESSAGEBOX_H

#include <cstdint>

#include "util/dialog_keys_win32.h"
#include "util/handles_win32.h"
#include "util/window_base_win32.h"

namespace velumar::app {

class TkvrMessageBox : public WindowBase {
  public:
    enum Answer : int32_t { noAnswer = 0, continueAnswer = 1, cancelAnswer = 2 };

    // Creates the box hidden (FormCreate).
    bool create();

    int32_t answer() const noexcept { return answer_; }
    void setAnswer(int32_t answer) noexcept { answer_ = answer; }

    void continueBtnClick();
    void cancelBtnClick();

  protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void onCreate();
    GdiObject<HFONT> font_;
    FocusMemory focusMemory_;
    int32_t answer_ = noAnswer;
};

}  // namespace velumar::app

#endif
