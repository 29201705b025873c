// A small base for the programs' windows, the installer's and the Flash panel alike (Win32 build
// only): one static window procedure binds the HWND to its C++ object at WM_NCCREATE and
// forwards every message to onMessage; nothing thrown by a handler crosses back into the
// system (the message then gets the class's default handling). Window objects are neither
// copied nor moved.
#ifndef VELUMAR_UTIL_WINDOW_BASE_WIN32_H
#define VELUMAR_UTIL_WINDOW_BASE_WIN32_H

#include <windows.h>

#include <string>

namespace velumar {

class WindowBase {
  public:
    WindowBase() = default;
    virtual ~WindowBase();
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    HWND handle() const noexcept { return hwnd_; }

    // Registers a class whose windows are WindowBase objects (once per name).
    static void registerClass(const char* className, HBRUSH background, UINT style = 0);

  protected:
    bool createWindow(const char* className, DWORD exStyle, const std::string& title, DWORD style,
                      int x, int y, int width, int height, HWND parent, int controlId = 0);

    // The default handling of the window class.
    virtual LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT defaultProc(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;

    HWND hwnd_ = nullptr;
};

// Small helpers for child controls.
HWND createControl(const char* className, const std::string& text, DWORD style, int x, int y,
                   int width, int height, HWND parent, int controlId, DWORD exStyle = 0);
void setBounds(HWND window, int left, int top, int width, int height);
std::string windowText(HWND window);

}  // namespace velumar

#endif
