// A stand-in in-process server for the Active Desktop object, for the end-to-end runs only:
// registered per user under CLSID_ActiveDesktop while a test runs, it appends one line per call
// (with its arguments) to the file named by VELUMAR_AD_LOG. Nothing is logged without it.
#include <windows.h>
#include <wininet.h>

// After wininet.h: shlobj.h declares IActiveDesktop only when wininet.h came first.
#include <shlobj.h>

#include <string>

namespace {

LONG gObjects = 0;
LONG gLocks = 0;

std::string narrow(const wchar_t* text) {
    if (!text || !*text) return {};
    const int length = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return {};
    std::string result(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, result.data(), length, nullptr, nullptr);
    result.resize(static_cast<size_t>(length - 1));
    return result;
}

// One line, appended; each call opens and closes the file so that every line is on disk as
// soon as the call returns.
void logLine(const std::string& line) {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"VELUMAR_AD_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const HANDLE file = ::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\n";
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
}

class RecordingActiveDesktop final : public IActiveDesktop {
  public:
    RecordingActiveDesktop() {
        ::InterlockedIncrement(&gObjects);
        logLine("create");
    }
    RecordingActiveDesktop(const RecordingActiveDesktop&) = delete;
    RecordingActiveDesktop& operator=(const RecordingActiveDesktop&) = delete;
    ~RecordingActiveDesktop() { ::InterlockedDecrement(&gObjects); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IActiveDesktop) {
            *out = static_cast<IActiveDesktop*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(::InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = static_cast<ULONG>(::InterlockedDecrement(&references_));
        if (left == 0) {
            logLine("release");
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE ApplyChanges(DWORD flags) override {
        logLine("ApplyChanges " + std::to_string(flags));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetWallpaper(PWSTR, UINT, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetWallpaper(PCWSTR wallpaper, DWORD reserved) override {
        logLine("SetWallpaper " + narrow(wallpaper) + " " + std::to_string(reserved));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetWallpaperOptions(LPWALLPAPEROPT, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetWallpaperOptions(LPCWALLPAPEROPT, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetPattern(PWSTR, UINT, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetPattern(PCWSTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDesktopItemOptions(LPCOMPONENTSOPT, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetDesktopItemOptions(LPCCOMPONENTSOPT options,
                                                    DWORD reserved) override {
        if (!options) {
            logLine("SetDesktopItemOptions null " + std::to_string(reserved));
            return E_INVALIDARG;
        }
        logLine("SetDesktopItemOptions " + std::to_string(options->dwSize) + " " +
                std::to_string(options->fEnableComponents) + " " +
                std::to_string(options->fActiveDesktop) + " " + std::to_string(reserved));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddDesktopItem(LPCCOMPONENT, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddDesktopItemWithUI(HWND, LPCOMPONENT, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ModifyDesktopItem(LPCCOMPONENT, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveDesktopItem(LPCCOMPONENT, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDesktopItemCount(int*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDesktopItem(int, LPCOMPONENT, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDesktopItemByID(ULONG_PTR, LPCOMPONENT, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GenerateDesktopItemHtml(PCWSTR, LPCOMPONENT, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE AddUrl(HWND, PCWSTR, LPCOMPONENT, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDesktopItemBySource(PCWSTR, LPCOMPONENT, DWORD) override {
        return E_NOTIMPL;
    }

  private:
    LONG references_ = 1;
};

// One static factory for the life of the library; its references do not keep it alive.
class DesktopFactory final : public IClassFactory {
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
        auto* desktop = new RecordingActiveDesktop;
        const HRESULT result = desktop->QueryInterface(iid, out);
        desktop->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            ::InterlockedIncrement(&gLocks);
        } else {
            ::InterlockedDecrement(&gLocks);
        }
        return S_OK;
    }
};

DesktopFactory gFactory;

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (clsid != CLSID_ActiveDesktop) return CLASS_E_CLASSNOTAVAILABLE;
    return gFactory.QueryInterface(iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return gObjects == 0 && gLocks == 0 ? S_OK : S_FALSE;
}
