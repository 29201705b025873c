// TFlashPanel: the panel that plays the movie preview in the hosted Shockwave Flash control
// (Win32 build only; OLE must be initialised on the thread).
//
// Loading prepares the movie file first (signature, an uncompressed copy of a compressed movie
// in the panel's own temporary folder, header inspection for version and background colour),
// then replaces the hosted control by a new one and starts the movie in it. The panel paints
// itself in the movie's background colour, white until a movie was inspected, black after
// unloadMovie.
//
// | Status | Meaning                                                                        |
// |--------|--------------------------------------------------------------------------------|
// | 0      | loaded, or the path was empty or already loaded                                |
// | -403   | no control created in 10000 attempts or 2 seconds (panel in the movie's colour) |
// | -404   | signature neither "FWS" nor "CWS" (previous control, if any, plays on)          |
// | -405   | version above 6                                                                |
// | -406   | version below 3                                                                |
// | other  | the system's code of a failed temporary-folder creation                        |
// Failures of the files, of reads past their end and of zlib come back as the load's failure,
// with the status 0, the new path kept and the control unchanged.
#ifndef VELUMAR_FLASH_FLASHPANEL_H
#define VELUMAR_FLASH_FLASHPANEL_H

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "flash/movie_stream.h"
#include "flash/swf_prepare.h"
#include "util/created_files.h"
#include "util/window_base_win32.h"

namespace velumar::flash {

inline constexpr char kFlashPanelClass[] = "TFlashPanel";
inline constexpr int kCreateControlAttempts = 10000;
// The attempts also end once this much time has gone by (a control that is registered but
// cannot be created may take far longer than a missing one to refuse).
inline constexpr DWORD kCreateControlMilliseconds = 2000;

class TShockwaveFlashMX;

struct MovieLoad {
    std::int32_t status = 0;
    MovieFailure failure;
};

class TFlashPanel final : public WindowBase {
  public:
    TFlashPanel();
    ~TFlashPanel() override;
    TFlashPanel(const TFlashPanel&) = delete;
    TFlashPanel& operator=(const TFlashPanel&) = delete;

    // Creates the panel as a child of parent with the given control id and bounds.
    bool create(HWND parent, int controlId, int left, int top, int width, int height);

    MovieLoad loadMovie(const std::string& path);
    // Repaints the panel and gives the focus to it, then to the control, when the panel is
    // visible itself and has a control; true when it did.
    bool focusMovie();
    void unloadMovie();

    const std::string& swfFilename() const noexcept { return swfFilename_; }
    const std::string& movieSignature() const noexcept { return signature_; }
    const std::string& tempFolder() const noexcept { return tempFolder_; }
    COLORREF color() const noexcept { return color_; }
    bool hasFlashControl() const noexcept { return control_ != nullptr; }

    std::string defaultSWF;
    bool enableAllowScale = true;
    int scaleFactor = 0;

  private:
    std::int32_t prepareMovie();
    std::int32_t classifyMovie();
    std::int32_t expandCompressedMovie();
    std::int32_t inspectMovieHeader(const std::string& path);
    std::int32_t releaseFlashControl();
    std::int32_t createFlashControl();
    bool applyControlSettings();
    void startMovie();
    void handleOneMessage();
    void processPendingMessages();
    void setColor(COLORREF color);
    void onFSCommand(const std::string& command, const std::string& arguments);

    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    std::unique_ptr<TShockwaveFlashMX> control_;
    std::string swfFilename_;
    std::string signature_;
    std::string tempFolder_;
    CreatedFiles tempFiles_;  // the folder and the two copies: removed with the panel
    MovieColour colour_;
    COLORREF color_ = RGB(255, 255, 255);
};

}  // namespace velumar::flash

#endif
