#include "flash/FlashPanel.h"

#include <array>
#include <new>
#include <utility>

#include "flash/ShockwaveFlashObjects_TLB_win32.h"
#include "flash/ZLibEx.h"
#include "flash/file_stream_win32.h"
#include "flash/flash_texts.h"
#include "util/error_text_win32.h"
#include "util/files_win32.h"
#include "util/handles_win32.h"
#include "util/message_loop_win32.h"

namespace velumar::flash {

TFlashPanel::TFlashPanel() = default;

// Size 0 first, so that nothing of the control shows while the folder goes; the control is
// destroyed with the panel (it is not stopped first).
TFlashPanel::~TFlashPanel() {
    if (handle())
        ::SetWindowPos(handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    tempFiles_.removeAll();
    control_.reset();
}

bool TFlashPanel::create(HWND parent, int controlId, int left, int top, int width, int height) {
    registerClass(kFlashPanelClass, nullptr);
    return createWindow(kFlashPanelClass, 0, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, left, top,
                        width, height, parent, controlId);
}

MovieLoad TFlashPanel::loadMovie(const std::string& path) {
    MovieLoad load;
    if (path.empty() || path == swfFilename_) return load;
    swfFilename_ = path;
    try {
        load.status = prepareMovie();
    } catch (const MovieError& error) {
        load.failure = error.failure();
        return load;
    } catch (const std::bad_alloc&) {
        load.failure = {MovieFailureKind::fileError, ERROR_NOT_ENOUGH_MEMORY,
                        std::string(texts::kFileError)};
        return load;
    }
    if (load.status == 0) releaseFlashControl();
    if (load.status == 0) load.status = createFlashControl();
    if (load.status == 0) startMovie();
    return load;
}

// Signature, then the inspection of the movie itself or of its uncompressed copy. A file that
// does not exist (and so has no signature) passes with 0.
std::int32_t TFlashPanel::prepareMovie() {
    std::int32_t status = classifyMovie();
    if (status != 0) return status;
    if (signature_ == kUncompressedSignature) return inspectMovieHeader(swfFilename_);
    if (signature_ != kCompressedSignature) return 0;
    status = expandCompressedMovie();
    if (status != 0) return status;
    return inspectMovieHeader(tempFolder_ + std::string(texts::kUncompressedCopyFile));
}

std::int32_t TFlashPanel::classifyMovie() {
    if (!fileExists(swfFilename_)) return 0;
    TFileStream movie(swfFilename_, TFileStream::Mode::readShared);
    return classifyMovieStream(movie, signature_);
}

std::int32_t TFlashPanel::expandCompressedMovie() {
    if (tempFolder_.empty()) {
        tempFolder_ = makeTempFolder(std::string(texts::kTempFolderBase));
        if (tempFolder_.empty()) return lastErrorCode();
        tempFiles_.folder(tempFolder_);
        tempFiles_.file(tempFolder_ + std::string(texts::kCompressedSegmentFile));
        tempFiles_.file(tempFolder_ + std::string(texts::kUncompressedCopyFile));
    }
    const std::string segmentPath = tempFolder_ + std::string(texts::kCompressedSegmentFile);
    const std::string copyPath = tempFolder_ + std::string(texts::kUncompressedCopyFile);
    if (!fileExists(swfFilename_)) return 0;
    // Each file is created only at its own step: the segment once the header has been read, the
    // copy once inflate has been initialised.
    const KeepAlive keepAlive = [this] { processPendingMessages(); };
    std::array<std::uint8_t, kSwfHeaderSize> header{};
    {
        TFileStream movie(swfFilename_, TFileStream::Mode::readShared);
        readMovieHeader(movie, header);
        TFileStream segment(segmentPath, TFileStream::Mode::create);
        copyCompressedSegment(movie, segment, keepAlive);
    }
    TFileStream segment(segmentPath, TFileStream::Mode::readShared);
    TZDecompressionStream inflated(segment);
    TFileStream copy(copyPath, TFileStream::Mode::create);
    writeUncompressedCopy(inflated, copy, header, keepAlive);
    return 0;
}

std::int32_t TFlashPanel::inspectMovieHeader(const std::string& path) {
    colour_ = MovieColour{};
    if (!fileExists(path)) return 0;
    TFileStream movie(path, TFileStream::Mode::readShared);
    const std::int32_t status = inspectMovieStream(movie, colour_);
    if (status == 0) setColor(colour_.colorRef());
    return status;
}

// A Stop that fails keeps the control, undestroyed, for the next movie; a failure after the
// control is gone is reported too, but the control is not used again.
std::int32_t TFlashPanel::releaseFlashControl() {
    if (!control_) return 0;
    if (FAILED(control_->stopPlay())) return kFlashControlNotReleased;
    const HRESULT destroyed = control_->destroy();
    control_.reset();
    handleOneMessage();
    return FAILED(destroyed) ? kFlashControlNotReleased : 0;
}

// The control is recorded as soon as its instance exists: an error while it is placed in the
// panel or set up keeps it, and ends the loop with the remaining settings not applied. The
// attempts stop after a bounded time as well, so that a control that cannot be created never
// holds the start-up for long.
std::int32_t TFlashPanel::createFlashControl() {
    const DWORD started = ::GetTickCount();
    for (int attempts = 0; !control_ && attempts < kCreateControlAttempts; ++attempts) {
        if (attempts > 0 && ::GetTickCount() - started >= kCreateControlMilliseconds) break;
        auto control = std::make_unique<TShockwaveFlashMX>(handle());
        if (FAILED(control->createInstance())) continue;
        control_ = std::move(control);
        applyControlSettings();
    }
    return control_ ? 0 : kFlashControlNotCreated;
}

// In order, stopping at the first that fails.
bool TFlashPanel::applyControlSettings() {
    RECT client;
    ::GetClientRect(handle(), &client);
    return SUCCEEDED(control_->attachToParent()) &&
           SUCCEEDED(control_->setBounds(client.right, client.bottom)) &&
           SUCCEEDED(control_->subscribeFSCommand(
               [this](const std::string& command, const std::string& arguments) {
                   onFSCommand(command, arguments);
               })) &&
           SUCCEEDED(control_->setIntegerProperty(kDispIdScaleMode, 0)) &&
           SUCCEEDED(control_->setVariable("Align", "AlClient")) &&
           SUCCEEDED(control_->setStringProperty(kDispIdWMode, "Opaque")) &&
           SUCCEEDED(control_->setBooleanProperty(kDispIdMenu, false));
}

// The control is given the movie file itself, also for a compressed movie: the uncompressed copy
// only served the inspection.
void TFlashPanel::startMovie() {
    control_->doVerb(kVerbHide);
    control_->setStringProperty(kDispIdMovie, swfFilename_);
    control_->play();
    control_->doVerb(kVerbShow);
}

// The control's destruction may leave messages for its window in the queue: one is handled
// before the panel goes on. The WM_NULL posted first makes sure the wait for it ends.
void TFlashPanel::handleOneMessage() {
    if (handle()) ::PostMessageA(handle(), WM_NULL, 0, 0);
    velumar::handleOneMessage();
}

// A long expansion lets the messages through between its blocks, so that the windows answer.
void TFlashPanel::processPendingMessages() {
    velumar::processPendingMessages();
}

void TFlashPanel::unloadMovie() {
    releaseFlashControl();
    setColor(RGB(0, 0, 0));
    swfFilename_.clear();
}

// The panel's own visibility counts, not its window's: start-up focuses the movie while the
// installer window is still hidden.
bool TFlashPanel::focusMovie() {
    if (!handle() || !(::GetWindowLongA(handle(), GWL_STYLE) & WS_VISIBLE) || !control_)
        return false;
    ::RedrawWindow(handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ::SetFocus(handle());
    control_->focus();
    return true;
}

void TFlashPanel::setColor(COLORREF color) {
    color_ = color;
    if (handle()) ::InvalidateRect(handle(), nullptr, TRUE);
}

// The movie's commands ("ALLOWSCALE", "FULLSCREEN" and the rest) change nothing: scale mode,
// size and window state stay as createFlashControl set them.
void TFlashPanel::onFSCommand(const std::string&, const std::string&) {}

LRESULT TFlashPanel::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: {
            RECT client;
            ::GetClientRect(handle(), &client);
            const GdiObject<HBRUSH> brush(::CreateSolidBrush(color_));
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, brush.get());
            return 1;
        }
        default:
            return defaultProc(message, wParam, lParam);
    }
}

}  // namespace velumar::flash
