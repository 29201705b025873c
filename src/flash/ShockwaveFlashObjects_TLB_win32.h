// TShockwaveFlashMX: the host of one Shockwave Flash ActiveX control, with plain COM and OLE
// (Win32 build only; OLE must be initialised on the thread).
//
// The host gives the control a client site, an in-place site and frame, and the ambient
// properties of a running (user-mode) container. Properties are set through the control's
// dispatch interface by dispatch id; Play, StopPlay, SetVariable and FlashVersion are called by
// name through the same interface (IShockwaveFlash is dual), so no vtable layout is assumed.
// Every operation returns the control's HRESULT; none throws.
#ifndef VELUMAR_FLASH_SHOCKWAVEFLASHOBJECTS_TLB_WIN32_H
#define VELUMAR_FLASH_SHOCKWAVEFLASHOBJECTS_TLB_WIN32_H

#include <windows.h>
#include <ocidl.h>
#include <ole2.h>

#include <functional>
#include <string>

#include "flash/ShockwaveFlashObjects_TLB.h"
#include "util/handles_win32.h"

namespace velumar::flash {

extern const CLSID CLSID_ShockwaveFlash;
extern const IID IID_IShockwaveFlash;
extern const IID DIID_IShockwaveFlashEvents;

// OnFSCommand(command, arguments).
using FSCommandHandler = std::function<void(const std::string&, const std::string&)>;

class ControlSite;
class FlashEventSink;

class TShockwaveFlashMX {
  public:
    // parent: the window the control is placed in and owned by; none for a control created only
    // to be asked questions (it is never activated then).
    explicit TShockwaveFlashMX(HWND parent) noexcept;
    ~TShockwaveFlashMX();
    TShockwaveFlashMX(const TShockwaveFlashMX&) = delete;
    TShockwaveFlashMX& operator=(const TShockwaveFlashMX&) = delete;

    // Creates the control instance, gives it its site and, with a parent, activates it in place.
    HRESULT create();
    // The two halves of create: the instance with its site, then the in-place activation in the
    // parent window.
    HRESULT createInstance();
    HRESULT attachToParent();
    // Gives the control its size: its extent and its rectangle in the parent.
    HRESULT setBounds(int width, int height);
    HRESULT subscribeFSCommand(FSCommandHandler handler);

    HRESULT setIntegerProperty(DISPID id, long value);
    HRESULT setStringProperty(DISPID id, const std::string& value);
    HRESULT setBooleanProperty(DISPID id, bool value);

    HRESULT setVariable(const std::string& name, const std::string& value);
    HRESULT play();
    HRESULT stopPlay();
    HRESULT flashVersion(long& version);
    HRESULT doVerb(long verb);
    void focus();

    // Ends the events, deactivates, closes and lets go of the control.
    HRESULT destroy();

    HWND window() const;
    HWND parent() const noexcept { return parent_; }

  private:
    HRESULT defaultInterface(ComPtr<IDispatch>& out);
    HRESULT setProperty(DISPID id, VARIANT& value);
    HRESULT callByName(const wchar_t* name, VARIANT* arguments, UINT count, VARIANT* result);
    HRESULT notifySizeChange();

    HWND parent_;
    HWND home_;  // the parent it is attached to outside a size notification
    int width_ = 0;
    int height_ = 0;
    ComPtr<ControlSite> site_;
    ComPtr<IOleObject> object_;
    ComPtr<IDispatch> flash_;
    ComPtr<IConnectionPoint> events_;
    DWORD eventsCookie_ = 0;
};

}  // namespace velumar::flash

#endif
