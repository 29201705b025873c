// The installer window's two plain child windows (Win32 build only): the panel that holds
// other controls and the preview image.
#ifndef VELUMAR_APP_PANELS_WIN32_H
#define VELUMAR_APP_PANELS_WIN32_H

#include <windows.h>

#include <utility>

#include "app/control_ids.h"
#include "app/layout.h"
#include "util/handles_win32.h"
#include "util/window_base_win32.h"
#include "util/window_tree_win32.h"

namespace velumar::app {

// A plain panel: a child that holds other controls, passes their commands to the window, and
// draws a lowered bevel when asked to.
class PanelWindow : public WindowBase {
  public:
    bool create(HWND parent, int id, const Bounds& bounds, bool loweredBevel) {
        registerClass(kPanelClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        loweredBevel_ = loweredBevel;
        return createWindow(kPanelClass, WS_EX_CONTROLPARENT, "",
                            WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, bounds.left, bounds.top,
                            bounds.width, bounds.height, parent, id);
    }

  protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case WM_COMMAND:
                return ::SendMessageA(topLevelWindowOf(handle()), message, wParam, lParam);
            case WM_PAINT:
                return onPaint();
            default:
                return defaultProc(message, wParam, lParam);
        }
    }

  private:
    LRESULT onPaint() {
        PAINTSTRUCT paint;
        const HDC dc = ::BeginPaint(handle(), &paint);
        if (loweredBevel_) {
            RECT client;
            ::GetClientRect(handle(), &client);
            ::DrawEdge(dc, &client, BDR_SUNKENOUTER, BF_RECT);
        }
        ::EndPaint(handle(), &paint);
        return 0;
    }

    bool loweredBevel_ = false;
};

// The preview image: its picture stretched to fill its 350 x 150 pixels.
class ImageWindow : public WindowBase {
  public:
    bool create(HWND parent, int id, const Bounds& bounds) {
        registerClass(kImageClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        return createWindow(kImageClass, 0, "", WS_CHILD, bounds.left, bounds.top, bounds.width,
                            bounds.height, parent, id);
    }
    void setPicture(GdiObject<HBITMAP> picture) {
        picture_ = std::move(picture);
        ::InvalidateRect(handle(), nullptr, TRUE);
    }

  protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_PAINT) return onPaint();
        return defaultProc(message, wParam, lParam);
    }

  private:
    LRESULT onPaint() {
        PAINTSTRUCT paint;
        const HDC dc = ::BeginPaint(handle(), &paint);
        BITMAP info;
        if (picture_ && ::GetObjectA(picture_.get(), sizeof info, &info)) {
            RECT client;
            ::GetClientRect(handle(), &client);
            const MemoryDc source(::CreateCompatibleDC(dc));
            const HGDIOBJ previous = ::SelectObject(source.get(), picture_.get());
            ::SetStretchBltMode(dc, HALFTONE);
            ::SetBrushOrgEx(dc, 0, 0, nullptr);
            ::StretchBlt(dc, 0, 0, client.right, client.bottom, source.get(), 0, 0, info.bmWidth,
                         info.bmHeight, SRCCOPY);
            ::SelectObject(source.get(), previous);
        }
        ::EndPaint(handle(), &paint);
        return 0;
    }

    GdiObject<HBITMAP> picture_;
};

}  // namespace velumar::app

#endif
