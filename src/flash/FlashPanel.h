// TFlashPanel: the panel that plays the movie preview (Win32 build only).
//
// This is the panel without its movie: a white child window of class TFlashPanel that fills its
// parent. loadMovie, focusMovie and unloadMovie are where the hosted Flash control will be
// created, focused and released; until that work lands they do nothing and loadMovie reports 0.
#ifndef VELUMAR_FLASH_FLASHPANEL_H
#define VELUMAR_FLASH_FLASHPANEL_H

#include <windows.h>

#include <cstdint>
#include <string>

namespace velumar::flash {

inline constexpr char kFlashPanelClass[] = "TFlashPanel";

class TFlashPanel {
  public:
    TFlashPanel() = default;
    ~TFlashPanel();
    TFlashPanel(const TFlashPanel&) = delete;
    TFlashPanel& operator=(const TFlashPanel&) = delete;

    // Creates the panel as a child of parent with the given control id and bounds.
    bool create(HWND parent, int controlId, int left, int top, int width, int height);
    HWND handle() const noexcept { return window_; }

    std::int32_t loadMovie(const std::string& path);
    void focusMovie();
    void unloadMovie();

    const std::string& swfFilename() const noexcept { return swfFilename_; }

    bool enableAllowScale = true;
    int scaleFactor = 0;

  private:
    HWND window_ = nullptr;
    std::string swfFilename_;
};

}  // namespace velumar::flash

#endif
