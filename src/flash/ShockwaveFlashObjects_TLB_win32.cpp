#include "flash/ShockwaveFlashObjects_TLB_win32.h"

#include <olectl.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "util/system_calls_win32.h"
#include "util/window_tree_win32.h"

namespace velumar::flash {

const CLSID CLSID_ShockwaveFlash = {kFlashClassData1,
                                    kFlashIdData2,
                                    kFlashIdData3,
                                    {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const IID IID_IShockwaveFlash = {kIShockwaveFlashData1,
                                 kFlashIdData2,
                                 kFlashIdData3,
                                 {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const IID DIID_IShockwaveFlashEvents = {kFlashEventsData1,
                                        kFlashIdData2,
                                        kFlashIdData3,
                                        {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

namespace {

// One BSTR, freed on destruction; built from ANSI text as COM wants UTF-16.
class Bstr {
  public:
    explicit Bstr(const std::string& text) {
        const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(),
                                                 static_cast<int>(text.size()), nullptr, 0);
        value_ = sys::sysAllocStringLen(nullptr, static_cast<UINT>(length));
        if (value_ && length > 0)
            ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), value_,
                                  length);
    }
    ~Bstr() { sys::sysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const noexcept { return value_; }

  private:
    BSTR value_ = nullptr;
};

std::string narrow(BSTR text) {
    if (!text) return {};
    const int length = static_cast<int>(sys::sysStringLen(text));
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, length, result.data(), size, nullptr, nullptr);
    return result;
}

VARIANT stringVariant(const Bstr& text) {
    VARIANT value;
    sys::variantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = text.get();  // borrowed: the Bstr frees it
    return value;
}

// HIMETRIC units (0.01 mm) for a size in pixels of the screen.
SIZEL himetricOf(int width, int height) {
    const HDC screen = ::GetDC(nullptr);
    const int dpiX = ::GetDeviceCaps(screen, LOGPIXELSX);
    const int dpiY = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return {::MulDiv(width, 2540, dpiX > 0 ? dpiX : 96),
            ::MulDiv(height, 2540, dpiY > 0 ? dpiY : 96)};
}

// Reference counting for the host's own COM objects.
class RefCounted {
  protected:
    ULONG addRef() noexcept { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }
    template <typename Self>
    ULONG release(Self* self) noexcept {
        const LONG left = ::InterlockedDecrement(&references_);
        if (left == 0) delete self;
        return static_cast<ULONG>(left);
    }

  private:
    LONG references_ = 1;
};

// A dispatch interface reached only by dispatch id: no type information, no names.
class DispatchById : public IDispatch {
  public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
};

}  // namespace

// The container side of the control: client site, in-place site, in-place frame (the panel's
// top-level window) and the ambient properties of a container in user mode.
class ControlSite final : public IOleClientSite,
                          public IOleInPlaceSite,
                          public IOleInPlaceFrame,
                          public DispatchById,
                          private RefCounted {
  public:
    explicit ControlSite(HWND host) noexcept : host_(host) {}

    void setRect(int width, int height) noexcept { rect_ = {0, 0, width, height}; }
    const RECT& rect() const noexcept { return rect_; }
    void setObject(IOleObject* object) noexcept { object_ = object; }
    // While detached, the control's requests for a new rectangle are not answered.
    void setAttached(bool attached) noexcept { attached_ = attached; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IOleClientSite))
            *out = static_cast<IOleClientSite*>(this);
        else if (iid == __uuidof(IOleWindow) || iid == __uuidof(IOleInPlaceSite))
            *out = static_cast<IOleInPlaceSite*>(this);
        else if (iid == __uuidof(IOleInPlaceUIWindow) || iid == __uuidof(IOleInPlaceFrame))
            *out = static_cast<IOleInPlaceFrame*>(this);
        else if (iid == __uuidof(IDispatch))
            *out = static_cast<IDispatch*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return release(this); }

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** out) override {
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (for the in-place site and the frame alike)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
        if (!out) return E_POINTER;
        *out = host_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame,
                                               IOleInPlaceUIWindow** document, LPRECT position,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
        if (!frame || !document || !position || !clip || !info) return E_POINTER;
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *document = nullptr;
        *position = rect_;
        *clip = rect_;
        info->fMDIApp = FALSE;
        info->hwndFrame = topLevelWindowOf(host_);
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    // The control asks for a rectangle of its own choosing; it gets it, unless the request
    // comes while it is detached for a size change the host itself is making.
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT position) override {
        if (!position || !attached_ || !object_) return S_OK;
        ComPtr<IOleInPlaceObject> inPlace;
        if (SUCCEEDED(object_->QueryInterface(__uuidof(IOleInPlaceObject), inPlace.putVoid())))
            inPlace->SetObjectRects(position, position);
        return S_OK;
    }

    // IOleInPlaceUIWindow
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override {
        return INPLACE_E_NOTOOLSPACE;
    }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override {
        return S_OK;
    }

    // IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDispatch: the ambient properties.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
        sys::variantInit(result);
        switch (id) {
            case DISPID_AMBIENT_USERMODE:
                result->vt = VT_BOOL;
                result->boolVal = VARIANT_TRUE;
                return S_OK;
            case DISPID_AMBIENT_UIDEAD:
            case DISPID_AMBIENT_SHOWHATCHING:
            case DISPID_AMBIENT_SHOWGRABHANDLES:
                result->vt = VT_BOOL;
                result->boolVal = VARIANT_FALSE;
                return S_OK;
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

    ~ControlSite() = default;

  private:
    HWND host_;
    RECT rect_{0, 0, 0, 0};
    IOleObject* object_ = nullptr;  // not counted: the control holds the site, not the reverse
    bool attached_ = true;
};

// Receives the control's events; only OnFSCommand is passed on, to the handler.
class FlashEventSink final : public DispatchById, private RefCounted {
  public:
    explicit FlashEventSink(FSCommandHandler handler) : handler_(std::move(handler)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != __uuidof(IUnknown) && iid != __uuidof(IDispatch) &&
            iid != DIID_IShockwaveFlashEvents)
            return E_NOINTERFACE;
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return release(this); }
    // Arguments arrive last first: OnFSCommand(command, args) has args at index 0.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                     EXCEPINFO*, UINT*) override {
        if (id != kDispIdOnFSCommand || !params || params->cArgs != 2) return S_OK;
        try {
            const VARIANT& command = params->rgvarg[1];
            const VARIANT& arguments = params->rgvarg[0];
            if (handler_ && command.vt == VT_BSTR && arguments.vt == VT_BSTR)
                handler_(narrow(command.bstrVal), narrow(arguments.bstrVal));
        } catch (...) {
            // Nothing escapes into the control.
        }
        return S_OK;
    }

    ~FlashEventSink() = default;

  private:
    FSCommandHandler handler_;
};

TShockwaveFlashMX::TShockwaveFlashMX(HWND parent) noexcept : parent_(parent), home_(parent) {}

TShockwaveFlashMX::~TShockwaveFlashMX() {
    destroy();
}

HRESULT TShockwaveFlashMX::create() {
    const HRESULT result = createInstance();
    if (FAILED(result) || !parent_) return result;
    return attachToParent();
}

HRESULT TShockwaveFlashMX::createInstance() {
    HRESULT result = sys::coCreateInstance(CLSID_ShockwaveFlash, nullptr, CLSCTX_INPROC_SERVER,
                                           __uuidof(IOleObject), object_.putVoid());
    if (FAILED(result)) return result;
    site_ = ComPtr<ControlSite>::attach(new ControlSite(parent_));
    site_->setObject(object_.get());
    result = object_->SetClientSite(static_cast<IOleClientSite*>(site_.get()));
    if (FAILED(result)) return result;
    ComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(object_.queryInterface(__uuidof(IPersistStreamInit), persist)))
        persist->InitNew();
    return S_OK;
}

HRESULT TShockwaveFlashMX::attachToParent() {
    if (!object_ || !parent_) return E_UNEXPECTED;
    return object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                           static_cast<IOleClientSite*>(site_.get()), 0, parent_, &site_->rect());
}

HRESULT TShockwaveFlashMX::setBounds(int width, int height) {
    width_ = width;
    height_ = height;
    // Detached from the parent while the size is taken, and attached again whatever the outcome:
    // a control that answers the new rectangle with a request of its own is not sent round again.
    const HWND attachedTo = parent_;
    parent_ = nullptr;
    if (site_) site_->setAttached(false);
    const HRESULT result = notifySizeChange();
    if (site_) site_->setAttached(true);
    parent_ = attachedTo;
    return result;
}

HRESULT TShockwaveFlashMX::notifySizeChange() {
    if (!object_) return E_UNEXPECTED;
    site_->setRect(width_, height_);
    SIZEL extent = himetricOf(width_, height_);
    HRESULT result = object_->SetExtent(DVASPECT_CONTENT, &extent);
    if (FAILED(result) && result != E_NOTIMPL) return result;
    ComPtr<IOleInPlaceObject> inPlace;
    result = object_.queryInterface(__uuidof(IOleInPlaceObject), inPlace);
    if (FAILED(result)) return result;
    return inPlace->SetObjectRects(&site_->rect(), &site_->rect());
}

HRESULT TShockwaveFlashMX::subscribeFSCommand(FSCommandHandler handler) {
    if (!object_) return E_UNEXPECTED;
    ComPtr<IConnectionPointContainer> container;
    HRESULT result = object_.queryInterface(__uuidof(IConnectionPointContainer), container);
    if (FAILED(result)) return result;
    result = container->FindConnectionPoint(DIID_IShockwaveFlashEvents, events_.put());
    if (FAILED(result)) return result;
    ComPtr<FlashEventSink> sink =
        ComPtr<FlashEventSink>::attach(new FlashEventSink(std::move(handler)));
    result = events_->Advise(static_cast<IDispatch*>(sink.get()), &eventsCookie_);
    if (FAILED(result)) events_.reset();
    return result;
}

// IShockwaveFlash, taken from the control on first use and kept.
HRESULT TShockwaveFlashMX::defaultInterface(ComPtr<IDispatch>& out) {
    if (!flash_) {
        if (!object_) return E_UNEXPECTED;
        const HRESULT result = object_.queryInterface(IID_IShockwaveFlash, flash_);
        if (FAILED(result)) return result;
    }
    out = flash_;
    return S_OK;
}

HRESULT TShockwaveFlashMX::setProperty(DISPID id, VARIANT& value) {
    ComPtr<IDispatch> flash;
    const HRESULT result = defaultInterface(flash);
    if (FAILED(result)) return result;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    return flash->Invoke(id, GUID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                         nullptr, nullptr);
}

HRESULT TShockwaveFlashMX::setIntegerProperty(DISPID id, long value) {
    VARIANT variant;
    sys::variantInit(&variant);
    variant.vt = VT_I4;
    variant.lVal = value;
    return setProperty(id, variant);
}

HRESULT TShockwaveFlashMX::setStringProperty(DISPID id, const std::string& value) {
    const Bstr text(value);
    VARIANT variant = stringVariant(text);
    return setProperty(id, variant);
}

HRESULT TShockwaveFlashMX::setBooleanProperty(DISPID id, bool value) {
    VARIANT variant;
    sys::variantInit(&variant);
    variant.vt = VT_BOOL;
    variant.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return setProperty(id, variant);
}

// arguments in the order of the call (they are handed to Invoke last first).
HRESULT TShockwaveFlashMX::callByName(const wchar_t* name, VARIANT* arguments, UINT count,
                                      VARIANT* result) {
    ComPtr<IDispatch> flash;
    HRESULT outcome = defaultInterface(flash);
    if (FAILED(outcome)) return outcome;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    outcome = flash->GetIDsOfNames(GUID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(outcome)) return outcome;
    std::vector<VARIANT> reversed(arguments, arguments + count);
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, count, 0};
    return flash->Invoke(id, GUID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                         &params, result, nullptr, nullptr);
}

HRESULT TShockwaveFlashMX::setVariable(const std::string& name, const std::string& value) {
    const Bstr nameText(name);
    const Bstr valueText(value);
    VARIANT arguments[2] = {stringVariant(nameText), stringVariant(valueText)};
    return callByName(kMethodSetVariable, arguments, 2, nullptr);
}

HRESULT TShockwaveFlashMX::play() {
    return callByName(kMethodPlay, nullptr, 0, nullptr);
}

HRESULT TShockwaveFlashMX::stopPlay() {
    return callByName(kMethodStopPlay, nullptr, 0, nullptr);
}

HRESULT TShockwaveFlashMX::flashVersion(long& version) {
    VARIANT result;
    sys::variantInit(&result);
    HRESULT outcome = callByName(kMethodFlashVersion, nullptr, 0, &result);
    if (SUCCEEDED(outcome)) outcome = sys::variantChangeType(&result, &result, 0, VT_I4);
    if (SUCCEEDED(outcome)) version = result.lVal;
    sys::variantClear(&result);
    return outcome;
}

HRESULT TShockwaveFlashMX::doVerb(long verb) {
    if (!object_) return E_UNEXPECTED;
    return object_->DoVerb(verb, nullptr, static_cast<IOleClientSite*>(site_.get()), 0, parent_,
                           &site_->rect());
}

HWND TShockwaveFlashMX::window() const {
    if (!object_) return nullptr;
    ComPtr<IOleInPlaceObject> inPlace;
    HWND control = nullptr;
    if (SUCCEEDED(object_.queryInterface(__uuidof(IOleInPlaceObject), inPlace)))
        inPlace->GetWindow(&control);
    return control;
}

void TShockwaveFlashMX::focus() {
    if (const HWND control = window()) ::SetFocus(control);
}

HRESULT TShockwaveFlashMX::destroy() {
    if (!object_) return S_OK;
    if (events_) {
        events_->Unadvise(eventsCookie_);
        events_.reset();
    }
    ComPtr<IOleInPlaceObject> inPlace;
    if (SUCCEEDED(object_.queryInterface(__uuidof(IOleInPlaceObject), inPlace)))
        inPlace->InPlaceDeactivate();
    inPlace.reset();
    const HRESULT result = object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
    flash_.reset();
    site_->setObject(nullptr);
    object_.reset();
    site_.reset();
    return result;
}

}  // namespace velumar::flash
