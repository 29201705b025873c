#include "util/window_base_win32.h"

namespace velumar {

WindowBase::~WindowBase() {
    if (hwnd_) {
        ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        const HWND window = hwnd_;
        hwnd_ = nullptr;
        ::DestroyWindow(window);
    }
}

void WindowBase::registerClass(const char* className, HBRUSH background, UINT style) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (::GetClassInfoExA(instance, className, &windowClass)) return;
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hIcon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    ::RegisterClassExA(&windowClass);
}

bool WindowBase::createWindow(const char* className, DWORD exStyle, const std::string& title,
                              DWORD style, int x, int y, int width, int height, HWND parent,
                              int controlId) {
    const auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId));
    ::CreateWindowExA(exStyle, className, title.c_str(), style, x, y, width, height, parent, menu,
                      ::GetModuleHandleA(nullptr), this);
    return hwnd_ != nullptr;
}

LRESULT WindowBase::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return defaultProc(message, wParam, lParam);
}

LRESULT WindowBase::defaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK WindowBase::windowProc(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->hwnd_ = window;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<WindowBase*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return ::DefWindowProcA(window, message, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->onMessage(message, wParam, lParam);
    } catch (...) {
        result = ::DefWindowProcA(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

HWND createControl(const char* className, const std::string& text, DWORD style, int x, int y,
                   int width, int height, HWND parent, int controlId, DWORD exStyle) {
    return ::CreateWindowExA(exStyle, className, text.c_str(), WS_CHILD | style, x, y, width,
                             height, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                             ::GetModuleHandleA(nullptr), nullptr);
}

void setBounds(HWND window, int left, int top, int width, int height) {
    ::SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string windowText(HWND window) {
    const int length = ::GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(window, text.data(), length + 1)));
    return text;
}

}  // namespace velumar
