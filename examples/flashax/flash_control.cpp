// A stand-in for the Shockwave Flash ActiveX control, for the tests and the demo only: an
// in-process control of our own that the stand-in "flashax.exe" installs and registers under
// the Flash class id (the tests register it themselves for the length of a test).
//
// It appends one line per call it receives (property sets, method calls, verbs, sizes, the
// host's site and events) to the file named by VELUMAR_FLASH_LOG, in the order they came. Its
// window paints the movie's background colour (read from the movie file it is given, inflating
// a compressed one) and the movie's file name. Environment switches, read at each call:
//   VELUMAR_FLASH_FAIL=create   every creation fails
//   VELUMAR_FLASH_FAIL=activate the in-place activation in a window fails
//   VELUMAR_FLASH_FAIL=stop     StopPlay fails
//   VELUMAR_FLASH_FSCOMMAND=1   Play sends FSCommand "ALLOWSCALE"/"false" and "FULLSCREEN"/"true"
//   VELUMAR_FLASH_POSRECT=1     a new rectangle is answered by asking the site for one of its own
//
// It ships inside the sample's stand-in installer, so it stays small: no C++ library beyond the
// language, Win32 calls for files and text, a small inflater of its own for compressed movies.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <new>

#include "flash/ShockwaveFlashObjects_TLB.h"
#include "tiny_inflate.h"

void* operator new(std::size_t size) {
    return ::HeapAlloc(::GetProcessHeap(), 0, size);
}
void operator delete(void* block) noexcept {
    ::HeapFree(::GetProcessHeap(), 0, block);
}
void operator delete(void* block, std::size_t) noexcept {
    ::HeapFree(::GetProcessHeap(), 0, block);
}

namespace {

using namespace velumar::flash;

const CLSID kFlashClass = {kFlashClassData1,
                           kFlashIdData2,
                           kFlashIdData3,
                           {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const IID kIShockwaveFlash = {kIShockwaveFlashData1,
                              kFlashIdData2,
                              kFlashIdData3,
                              {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const IID kFlashEvents = {kFlashEventsData1,
                          kFlashIdData2,
                          kFlashIdData3,
                          {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// Dispatch ids the stand-in gives its methods; callers find them by name.
enum : DISPID { kIdPlay = 1001, kIdStopPlay, kIdSetVariable, kIdFlashVersion };

HMODULE gModule = nullptr;
LONG gObjects = 0;
LONG gLocks = 0;
constexpr char kWindowClass[] = "VelumarFlashStandIn";
constexpr int kTextSize = 1024;

// A line of text in a fixed buffer; longer text is cut.
struct Text {
    char chars[kTextSize] = {};

    Text& add(const char* more) {
        const int used = ::lstrlenA(chars);
        ::lstrcpynA(chars + used, more, kTextSize - used);
        return *this;
    }
    Text& add(long number) {
        char digits[16];
        ::wsprintfA(digits, "%ld", number);
        return add(digits);
    }
    Text& add(const wchar_t* wide, int length = -1) {
        const int used = ::lstrlenA(chars);
        const int written = ::WideCharToMultiByte(CP_ACP, 0, wide, length, chars + used,
                                                  kTextSize - used - 1, nullptr, nullptr);
        chars[used + (written > 0 ? written : 0)] = '\0';
        return *this;
    }
};

bool environmentIs(const char* name, const char* value) {
    char actual[64] = {};
    const DWORD length = ::GetEnvironmentVariableA(name, actual, sizeof actual);
    return length > 0 && length < sizeof actual && ::lstrcmpA(actual, value) == 0;
}

void logLine(const Text& line) {
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetEnvironmentVariableA("VELUMAR_FLASH_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const HANDLE file = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, line.chars, static_cast<DWORD>(::lstrlenA(line.chars)), &written, nullptr);
    ::WriteFile(file, "\n", 1, &written, nullptr);
    ::CloseHandle(file);
}

void logLine(const char* line) {
    Text text;
    logLine(text.add(line));
}

void addValue(Text& text, const VARIANT& value) {
    switch (value.vt) {
        case VT_BSTR:
            text.add(value.bstrVal, static_cast<int>(::SysStringLen(value.bstrVal)));
            break;
        case VT_BOOL:
            text.add(value.boolVal ? "true" : "false");
            break;
        case VT_I4:
            text.add(value.lVal);
            break;
        default:
            text.add("?");
    }
}

const char* propertyName(DISPID id) {
    switch (id) {
        case kDispIdMovie:
            return "Movie";
        case kDispIdScaleMode:
            return "ScaleMode";
        case kDispIdWMode:
            return "WMode";
        case kDispIdMenu:
            return "Menu";
        default:
            return "other";
    }
}

// Bytes held on the process heap.
struct Buffer {
    BYTE* bytes = nullptr;
    DWORD size = 0;
    ~Buffer() {
        if (bytes) ::HeapFree(::GetProcessHeap(), 0, bytes);
    }
    bool allocate(DWORD count) {
        bytes = static_cast<BYTE*>(::HeapAlloc(::GetProcessHeap(), 0, count ? count : 1));
        size = bytes ? count : 0;
        return bytes != nullptr;
    }
};

constexpr DWORD kMovieReadLimit = 1u << 20;

bool readMovieFile(const char* path, Buffer& out) {
    const HANDLE file =
        ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const DWORD size = ::GetFileSize(file, nullptr);
    DWORD got = 0;
    const bool ok = size != INVALID_FILE_SIZE &&
                    out.allocate(size < kMovieReadLimit ? size : kMovieReadLimit) &&
                    ::ReadFile(file, out.bytes, out.size, &got, nullptr) && got == out.size;
    ::CloseHandle(file);
    return ok;
}

// The uncompressed body (everything after the 8-byte header) of a movie, inflated when it is a
// "CWS" one, at most kMovieReadLimit bytes of it.
bool movieBody(const Buffer& file, Buffer& body) {
    if (file.size < 8) return false;
    if (file.bytes[0] == 'F') {
        if (!body.allocate(file.size - 8)) return false;
        ::CopyMemory(body.bytes, file.bytes + 8, body.size);
        return true;
    }
    if (!body.allocate(kMovieReadLimit)) return false;
    body.size = velumar::flashax::tinyInflate(file.bytes + 8, file.size - 8, body.bytes, body.size);
    return true;
}

// Rectangle, frame rate and count, then the tags up to the background colour (code 9).
bool backgroundColour(const Buffer& body, COLORREF& colour) {
    if (body.size < 1) return false;
    DWORD at = (((4u * (body.bytes[0] >> 3)) + 5) >> 3) + 1 + 4;
    while (at + 2 <= body.size) {
        const unsigned header = body.bytes[at] | (body.bytes[at + 1] << 8);
        at += 2;
        DWORD length = header & 63;
        if (length == 63) {
            if (at + 4 > body.size) return false;
            length = body.bytes[at] | (body.bytes[at + 1] << 8) | (body.bytes[at + 2] << 16) |
                     (static_cast<DWORD>(body.bytes[at + 3]) << 24);
            at += 4;
        }
        if ((header >> 6) == 9) {
            if (length < 3 || at + 3 > body.size) return false;
            colour = RGB(body.bytes[at], body.bytes[at + 1], body.bytes[at + 2]);
            return true;
        }
        if (length > body.size - at) return false;
        at += length;
    }
    return false;
}

// The movie's background colour; grey when it cannot be read.
COLORREF movieColour(const char* path) {
    Buffer file, body;
    COLORREF colour = RGB(128, 128, 128);
    if (readMovieFile(path, file) && movieBody(file, body)) backgroundColour(body, colour);
    return colour;
}

class StandInControl;

// The event interface's connection point: one sink at a time; counted with the control.
class Events final : public IConnectionPoint {
  public:
    explicit Events(IUnknown& control) : control_(control) {}
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
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** out) override {
        return control_.QueryInterface(IID_IConnectionPointContainer,
                                       reinterpret_cast<void**>(out));
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
    IUnknown& control_;
    IDispatch* sink_ = nullptr;
};

class StandInControl final : public IOleObject,
                             public IOleInPlaceObject,
                             public IDispatch,
                             public IConnectionPointContainer {
  public:
    StandInControl() : events_(*static_cast<IOleObject*>(this)) {
        ::InterlockedIncrement(&gObjects);
    }
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
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(::InterlockedIncrement(&references_));
    }
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
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND parent,
                                     LPCRECT) override {
        Text line;
        logLine(line.add("verb ").add(static_cast<long>(verb)));
        if (verb == OLEIVERB_INPLACEACTIVATE && environmentIs("VELUMAR_FLASH_FAIL", "activate")) {
            logLine("activate refused");
            return E_FAIL;
        }
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
        Text line;
        logLine(line.add("size ")
                    .add(position->right - position->left)
                    .add(" ")
                    .add(position->bottom - position->top));
        if (window_)
            ::MoveWindow(window_, position->left, position->top, position->right - position->left,
                         position->bottom - position->top, TRUE);
        if (environmentIs("VELUMAR_FLASH_POSRECT", "1")) askForOwnRectangle(*position);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }

    // IDispatch (IShockwaveFlash is dual: this is all of it the host uses)
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (!names || !ids || count != 1) return E_INVALIDARG;
        if (::lstrcmpW(names[0], kMethodPlay) == 0)
            *ids = kIdPlay;
        else if (::lstrcmpW(names[0], kMethodStopPlay) == 0)
            *ids = kIdStopPlay;
        else if (::lstrcmpW(names[0], kMethodSetVariable) == 0)
            *ids = kIdSetVariable;
        else if (::lstrcmpW(names[0], kMethodFlashVersion) == 0)
            *ids = kIdFlashVersion;
        else
            return DISP_E_UNKNOWNNAME;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        if (!params) return E_POINTER;
        Text line;
        if (flags & DISPATCH_PROPERTYPUT) {
            if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
            line.add("set ").add(propertyName(id)).add(" ");
            addValue(line, params->rgvarg[0]);
            logLine(line);
            if (id == kDispIdMovie && params->rgvarg[0].vt == VT_BSTR)
                showMovie(params->rgvarg[0].bstrVal);
            return S_OK;
        }
        switch (id) {
            case kIdPlay:
                logLine("call Play");
                if (environmentIs("VELUMAR_FLASH_FSCOMMAND", "1")) {
                    fireFSCommand(L"ALLOWSCALE", L"false");
                    fireFSCommand(L"FULLSCREEN", L"true");
                }
                return S_OK;
            case kIdStopPlay:
                logLine("call StopPlay");
                return environmentIs("VELUMAR_FLASH_FAIL", "stop") ? E_FAIL : S_OK;
            case kIdSetVariable:
                if (params->cArgs != 2) return DISP_E_BADPARAMCOUNT;
                line.add("call SetVariable ");
                addValue(line, params->rgvarg[1]);
                line.add(" ");
                addValue(line, params->rgvarg[0]);
                logLine(line);
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
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
        return E_NOTIMPL;
    }
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
        ::DrawTextA(dc, caption_.chars, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        ::EndPaint(window_, &paint);
    }

  private:
    void logAmbientUserMode() {
        IDispatch* ambient = nullptr;
        if (FAILED(site_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambient))))
            return;
        VARIANT value;
        ::VariantInit(&value);
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        if (SUCCEEDED(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET,
                                      &none, &value, nullptr, nullptr))) {
            Text line;
            line.add("ambient UserMode ");
            addValue(line, value);
            logLine(line);
        }
        ambient->Release();
    }

    // In-place activation as a container expects it: the site's window context gives the rectangle.
    void activateIn(HWND parent) {
        RECT position{0, 0, 0, 0};
        IOleInPlaceSite* inPlace = nullptr;
        if (site_ && SUCCEEDED(site_->QueryInterface(IID_IOleInPlaceSite,
                                                     reinterpret_cast<void**>(&inPlace)))) {
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
        window_ =
            ::CreateWindowExA(0, kWindowClass, "", WS_CHILD | WS_VISIBLE, position.left,
                              position.top, position.right - position.left,
                              position.bottom - position.top, parent, nullptr, gModule, nullptr);
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    // As a control that wants another size does: the site is asked, once per rectangle given.
    void askForOwnRectangle(const RECT& given) {
        if (askingForRectangle_ || !site_) return;
        askingForRectangle_ = true;
        IOleInPlaceSite* inPlace = nullptr;
        if (SUCCEEDED(
                site_->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace)))) {
            logLine("request rectangle");
            const RECT wanted{given.left, given.top, given.right + 10, given.bottom + 10};
            inPlace->OnPosRectChange(&wanted);
            inPlace->Release();
        }
        askingForRectangle_ = false;
    }

    void showMovie(BSTR path) {
        Text file;
        file.add(path, static_cast<int>(::SysStringLen(path)));
        colour_ = movieColour(file.chars);
        const char* name = file.chars;
        for (const char* c = file.chars; *c; ++c)
            if (*c == '\\' || *c == '/') name = c + 1;
        caption_ = Text{};
        caption_.add(name);
        if (window_) ::InvalidateRect(window_, nullptr, TRUE);
    }

    void fireFSCommand(const wchar_t* command, const wchar_t* arguments) {
        Text line;
        logLine(line.add("fscommand ").add(command).add(" ").add(arguments));
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
        sink->Invoke(kDispIdOnFSCommand, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr,
                     nullptr);
        ::VariantClear(&values[0]);
        ::VariantClear(&values[1]);
    }

    LONG references_ = 1;
    Events events_;
    IOleClientSite* site_ = nullptr;
    HWND window_ = nullptr;
    COLORREF colour_ = RGB(128, 128, 128);
    Text caption_;
    bool askingForRectangle_ = false;
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
        if (environmentIs("VELUMAR_FLASH_FAIL", "create")) {
            logLine("create refused");
            return E_FAIL;
        }
        registerWindowClass();
        auto* control = new StandInControl;
        if (!control) return E_OUTOFMEMORY;
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
