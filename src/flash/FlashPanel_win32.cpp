#include "flash/FlashPanel.h"

namespace velumar::flash {
namespace {

void registerPanelClass() {
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA existing;
    if (::GetClassInfoA(instance, kFlashPanelClass, &existing)) return;
    WNDCLASSA panelClass = {};
    panelClass.lpfnWndProc = ::DefWindowProcA;
    panelClass.hInstance = instance;
    panelClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    panelClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    panelClass.lpszClassName = kFlashPanelClass;
    ::RegisterClassA(&panelClass);
}

}  // namespace

TFlashPanel::~TFlashPanel() {
    if (window_ && ::IsWindow(window_)) ::DestroyWindow(window_);
}

bool TFlashPanel::create(HWND parent, int controlId, int left, int top, int width, int height) {
    registerPanelClass();
    window_ = ::CreateWindowExA(0, kFlashPanelClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                left, top, width, height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                                ::GetModuleHandleA(nullptr), nullptr);
    return window_ != nullptr;
}

// The movie preview plugs in here: classify and prepare the file, create the Flash control and
// start the movie.
std::int32_t TFlashPanel::loadMovie(const std::string& path) {
    if (!path.empty()) swfFilename_ = path;
    return 0;
}

// Gives the Flash control the keyboard focus once it exists.
void TFlashPanel::focusMovie() {}

// Stops and releases the Flash control once it exists.
void TFlashPanel::unloadMovie() {
    swfFilename_.clear();
}

}  // namespace velumar::flash
