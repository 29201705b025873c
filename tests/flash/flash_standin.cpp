// A stand-in for the Shockwave Flash ActiveX control, for the tests and the demo only: an
// in-process control of our own, registered under the Flash class id while a test runs.
//
// It appends one line per call it receives (property sets, method calls, verbs, sizes, the
// host's site and events) to the file named by VELUMAR_FLASH_LOG, in the order they came. Its
// window paints the movie's background colour (read from the movie file it is given) and the
// movie's file name. Environment switches, read at each call:
//   VELUMAR_FLASH_FAIL=create   every creation fails
//   VELUMAR_FLASH_FAIL=stop     StopPlay fails
//   VELUMAR_FLASH_FSCOMMAND=1   Play sends FSCommand "ALLOWSCALE"/"false" and "FULLSCREEN"/"true"
#include <ocidl.h>
#include <olectl.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "flash/ShockwaveFlashObjects_TLB.h"
#include "flash/swf_prepare.h"

namespace {

using namespace velumar::flash;

const CLSID kFlashClass = {kFlashClassData1, kFlashIdData2, kFlashIdData3, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const IID kIShockwaveFlash = {kIShockwaveFlashData1, kFlashIdData2, kFlashIdData3, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const IID kFlashEvents = {kFlashEventsData1, kFlashIdData2, kFlashIdData3, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// Dispatch ids the stand-in gives its methods; callers find them by name.
enum : DISPID { kIdPlay = 1001, kIdStopPlay, kIdSetVariable, kIdFlashVersion };

HMODULE gModule = nullptr;
LONG gObjects = 0;
LONG gLocks = 0;
constexpr char kWindowClass[] = "VelumarFlashStandIn";

std::string environment(const char* name) {
    char value[MAX_PATH + 1] = {};
    const DWORD length = ::GetEnvironmentVariableA(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(value, length) : std::string();
}

void logLine(const std::string& line) {
    const std::string path = environment("VELUMAR_FLASH_LOG");
    if (path.empty()) return;
    const HANDLE file = ::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\n";
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
}

std::string narrow(const wchar_t* text, int length = -1) {
    if (!text) return {};
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, length, result.data(), size, nullptr, nullptr);
    if (length < 0 && !result.empty()) result.pop_back();
    return result;
}

std::string textOf(const VARIANT& value) {
    switch (value.vt) {
        case VT_BSTR:
            return narrow(value.bstrVal, static_cast<int>(::SysStringLen(value.bstrVal)));
        case VT_BOOL:
            return value.boolVal ? "true" : "false";
        case VT_I4:
            return std::to_string(value.lVal);
        default:
            return "?";
    }
}

std::string propertyName(DISPID id) {
    switch (id) {
        case kDispIdMovie: return "Movie";
        case kDispIdScaleMode: return "ScaleMode";
        case kDispIdWMode: return "WMode";
        case kDispIdMenu: return "Menu";
        default: return std::to_string(id);
    }
}

// The movie's background colour as the panel would find it; grey when it cannot be read.
COLORREF movieColour(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
        MemoryStream movie(bytes);
        if (bytes.size() >= 3 && bytes[0] == 'C') {
            MemoryStream segment, copy;
            std::array<std::uint8_t, kSwfHeaderSize> header{};
            copyCompressedSegment(movie, segment, header);
            segment.seek(0, SeekOrigin::beginning);
            writeUncompressedCopy(segment, copy, header);
            movie = MemoryStream(copy.bytes());
        }
        MovieColour colour;
        if (inspectMovieStream(movie, colour) == 0) return colour.colorRef();
    } catch (const MovieError&) {
    }
    return RGB(128, 128, 128);
}

class StandInControl final : public IOleObject,
                             public IOleInPlaceObject,
                             public IDispatch,
                             public IConnectionPointContainer {
  public:
    StandInControl() : events_(*this) { ::InterlockedIncrement(&gObjects); }
    ~StandInControl() {
        if (window_) ::DestroyWindow(window_);
        if (site_) site_->Release();
        logLine("destroyed");
        ::InterlockedDecrement(&gObjects);
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleObject)
            *out = static_cast<IOleObject*>(this);
        else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject)
            *out = static_cast<IOleInPlaceObject*>(this);
        else if (iid == IID_IDispatch || iid == kIShockwaveFlash)
            *out = static_cast<IDispatch*>(this);
        else if (iid == IID_IConnectionPointContainer)
            *out = static_cast<IConnectionPointContainer*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = ::InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override {
        if (site_) site_->Release();
        site_ = site;
        if (site_) site_->AddRef();
        logLine(site ? "site" : "site none");
        if (site) logAmbientUserMode();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** out) override {
        if (!out) return E_POINTER;
        *out = site_;
        if (site_) site_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD) override {
        logLine("close");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND parent, LPCRECT) override {
        logLine("verb " + std::to_string(verb));
        if (parent && !window_) activateIn(parent);
        if (window_ && verb == kVerbHide) ::ShowWindow(window_, SW_HIDE);
        if (window_ && verb == kVerbShow) ::ShowWindow(window_, SW_SHOW);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* out) override {
        if (!out) return E_POINTER;
        *out = kFlashClass;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* status) override {
        if (status) *status = OLEMISC_SETCLIENTSITEFIRST;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
        if (!out) return E_POINTER;
        *out = window_;
        return window_ ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override {
        logLine("deactivate");
        if (window_) ::DestroyWindow(window_);
        window_ = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT) override {
        if (!position) return E_POINTER;
        logLine("size " + std::to_string(position->right - position->left) + " " +
                std::to_string(position->bottom - position->top));
        if (window_)
            ::MoveWindow(window_, position->left, position->top, position->right - position->left,
                         position->bottom - position->top, TRUE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }

    // IDispatch (IShockwaveFlash is dual: this is all of it the host uses)
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids || count != 1) return E_INVALIDARG;
        const std::wstring name = names[0];
        if (name == kMethodPlay) *ids = kIdPlay;
        else if (name == kMethodStopPlay) *ids = kIdStopPlay;
        else if (name == kMethodSetVariable) *ids = kIdSetVariable;
        else if (name == kMethodFlashVersion) *ids = kIdFlashVersion;
        else return DISP_E_UNKNOWNNAME;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        if (!params) return E_POINTER;
        if (flags & DISPATCH_PROPERTYPUT) {
            if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
            logLine("set " + propertyName(id) + " " + textOf(params->rgvarg[0]));
            if (id == kDispIdMovie) showMovie(textOf(params->rgvarg[0]));
            return S_OK;
        }
        switch (id) {
            case kIdPlay:
                logLine("call Play");
                if (environment("VELUMAR_FLASH_FSCOMMAND") == "1") {
                    fireFSCommand(L"ALLOWSCALE", L"false");
                    fireFSCommand(L"FULLSCREEN", L"true");
                }
                return S_OK;
            case kIdStopPlay:
                logLine("call StopPlay");
                return environment("VELUMAR_FLASH_FAIL") == "stop" ? E_FAIL : S_OK;
            case kIdSetVariable:
                if (params->cArgs != 2) return DISP_E_BADPARAMCOUNT;
                logLine("call SetVariable " + textOf(params->rgvarg[1]) + " " + textOf(params->rgvarg[0]));
                return S_OK;
            case kIdFlashVersion:
                logLine("call FlashVersion");
                if (result) {
                    ::VariantInit(result);
                    result->vt = VT_I4;
                    result->lVal = 0x00060000;
                }
                return S_OK;
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

    // IConnectionPointContainer: the one event interface.
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != kFlashEvents) return CONNECT_E_NOCONNECTION;
        *out = &events_;
        AddRef();
        return S_OK;
    }

    void paint() {
        PAINTSTRUCT paint;
        const HDC dc = ::BeginPaint(window_, &paint);
        RECT client;
        ::GetClientRect(window_, &client);
        const HBRUSH brush = ::CreateSolidBrush(colour_);
        ::FillRect(dc, &client, brush);
        ::DeleteObject(brush);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, RGB(255, 255, 255));
        ::DrawTextA(dc, caption_.c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        ::EndPaint(window_, &paint);
    }

  private:
    void logAmbientUserMode() {
        IDispatch* ambient = nullptr;
        if (FAILED(site_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambient)))) return;
        VARIANT value;
        ::VariantInit(&value);
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        if (SUCCEEDED(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value,
                                      nullptr, nullptr)))
            logLine("ambient UserMode " + textOf(value));
        ambient->Release();
    }

    // In-place activation as a container expects it: the site's window context gives the rectangle.
    void activateIn(HWND parent) {
        RECT position{0, 0, 0, 0};
        IOleInPlaceSite* inPlace = nullptr;
        if (site_ && SUCCEEDED(site_->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace)))) {
            inPlace->OnInPlaceActivate();
            IOleInPlaceFrame* frame = nullptr;
            IOleInPlaceUIWindow* document = nullptr;
            RECT clip;
            OLEINPLACEFRAMEINFO info{sizeof info, FALSE, nullptr, nullptr, 0};
            if (SUCCEEDED(inPlace->GetWindowContext(&frame, &document, &position, &clip, &info))) {
                if (frame) frame->Release();
                if (document) document->Release();
            }
            inPlace->Release();
        }
        window_ = ::CreateWindowExA(0, kWindowClass, "", WS_CHILD | WS_VISIBLE, position.left, position.top,
                                    position.right - position.left, position.bottom - position.top, parent,
                                    nullptr, gModule, nullptr);
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    void showMovie(const std::string& path) {
        colour_ = movieColour(path);
        const std::size_t slash = path.find_last_of("\\/");
        caption_ = slash == std::string::npos ? path : path.substr(slash + 1);
        if (window_) ::InvalidateRect(window_, nullptr, TRUE);
    }

    void fireFSCommand(const wchar_t* command, const wchar_t* arguments) {
        logLine("fscommand " + narrow(command) + " " + narrow(arguments));
        IDispatch* sink = events_.sink();
        if (!sink) return;
        VARIANT values[2];
        ::VariantInit(&values[0]);
        ::VariantInit(&values[1]);
        values[0].vt = VT_BSTR;
        values[0].bstrVal = ::SysAllocString(arguments);
        values[1].vt = VT_BSTR;
        values[1].bstrVal = ::SysAllocString(command);
        DISPPARAMS params{values, nullptr, 2, 0};
        sink->Invoke(kDispIdOnFSCommand, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        ::VariantClear(&values[0]);
        ::VariantClear(&values[1]);
    }

    // The event interface's connection point: one sink at a time; counted with the control.
    class Events final : public IConnectionPoint {
      public:
        explicit Events(StandInControl& control) : control_(control) {}
        ~Events() {
            if (sink_) sink_->Release();
        }
        IDispatch* sink() const { return sink_; }

        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
            if (!out) return E_POINTER;
            *out = nullptr;
            if (iid != IID_IUnknown && iid != IID_IConnectionPoint) return E_NOINTERFACE;
            *out = static_cast<IConnectionPoint*>(this);
            AddRef();
            return S_OK;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return control_.AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return control_.Release(); }
        HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* out) override {
            if (!out) return E_POINTER;
            *out = kFlashEvents;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override {
            return control_.QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(out));
        }
        HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
            if (!sink || !cookie) return E_POINTER;
            if (sink_) return CONNECT_E_ADVISELIMIT;
            if (FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&sink_))))
                return CONNECT_E_CANNOTCONNECT;
            *cookie = 1;
            logLine("advise events");
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
            if (cookie != 1 || !sink_) return CONNECT_E_NOCONNECTION;
            sink_->Release();
            sink_ = nullptr;
            logLine("unadvise events");
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

      private:
        StandInControl& control_;
        IDispatch* sink_ = nullptr;
    };

    LONG references_ = 1;
    Events events_;
    IOleClientSite* site_ = nullptr;
    HWND window_ = nullptr;
    COLORREF colour_ = RGB(128, 128, 128);
    std::string caption_;
};

LRESULT CALLBACK standInWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* control = reinterpret_cast<StandInControl*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_PAINT && control) {
        control->paint();
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void registerWindowClass() {
    WNDCLASSA windowClass = {};
    if (::GetClassInfoA(gModule, kWindowClass, &windowClass)) return;
    windowClass.lpfnWndProc = standInWindowProc;
    windowClass.hInstance = gModule;
    windowClass.lpszClassName = kWindowClass;
    windowClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    ::RegisterClassA(&windowClass);
}

class StandInFactory final : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (environment("VELUMAR_FLASH_FAIL") == "create") {
            logLine("create refused");
            return E_FAIL;
        }
        registerWindowClass();
        auto* control = new StandInControl;
        logLine("create");
        const HRESULT result = control->QueryInterface(iid, out);
        control->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            ::InterlockedIncrement(&gLocks);
        else
            ::InterlockedDecrement(&gLocks);
        return S_OK;
    }
};

StandInFactory gFactory;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) gModule = instance;
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (clsid != kFlashClass) return CLASS_E_CLASSNOTAVAILABLE;
    return gFactory.QueryInterface(iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return gObjects == 0 && gLocks == 0 ? S_OK : S_FALSE;
}
