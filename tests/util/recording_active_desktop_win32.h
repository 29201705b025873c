// A stand-in for the shell's Active Desktop object and its class factory: every call the
// installer makes on it becomes one line ("create", "SetDesktopItemOptions 12 -1 -1 0",
// "SetWallpaper <page> 0", "ApplyChanges 15", "GetDesktopItemOptions", "GetWallpaper",
// "release") handed to a recorder. The desktop tests keep the lines in memory; the end-to-end
// stand-in library writes them to a file. The objects of a module share one desktop state,
// which the Set calls change and the Get calls answer.
#ifndef VELUMAR_TESTS_RECORDING_ACTIVE_DESKTOP_WIN32_H
#define VELUMAR_TESTS_RECORDING_ACTIVE_DESKTOP_WIN32_H

#include <windows.h>
#include <wininet.h>

// After wininet.h: shlobj.h declares IActiveDesktop only when wininet.h came first.
#include <shlobj.h>

#include <string>

namespace velumar::testing {

using DesktopRecorder = void (*)(const std::string& line);

inline std::string narrowText(const wchar_t* text) {
    if (!text || !*text) return {};
    const int length = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return {};
    std::string result(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, result.data(), length, nullptr, nullptr);
    result.resize(static_cast<size_t>(length - 1));
    return result;
}

// The desktop as the stand-in objects of a module see it.
struct StandInDesktopState {
    BOOL enableComponents = -1;
    BOOL activeDesktop = -1;
    std::wstring wallpaper;
};

class RecordingActiveDesktop final : public IActiveDesktop {
  public:
    static inline StandInDesktopState state;

    explicit RecordingActiveDesktop(DesktopRecorder record) : record_(record) {
        ::InterlockedIncrement(&objects);
        record_("create");
    }
    RecordingActiveDesktop(const RecordingActiveDesktop&) = delete;
    RecordingActiveDesktop& operator=(const RecordingActiveDesktop&) = delete;
    ~RecordingActiveDesktop() { ::InterlockedDecrement(&objects); }

    // Objects alive in this module, for a library's DllCanUnloadNow.
    static inline LONG objects = 0;

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
            record_("release");
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE ApplyChanges(DWORD flags) override {
        record_("ApplyChanges " + std::to_string(flags));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetWallpaper(PWSTR wallpaper, UINT size, DWORD) override {
        record_("GetWallpaper");
        if (!wallpaper || size <= state.wallpaper.size()) return E_INVALIDARG;
        state.wallpaper.copy(wallpaper, state.wallpaper.size());
        wallpaper[state.wallpaper.size()] = L'\0';
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetWallpaper(PCWSTR wallpaper, DWORD reserved) override {
        record_("SetWallpaper " + narrowText(wallpaper) + " " + std::to_string(reserved));
        state.wallpaper = wallpaper ? wallpaper : L"";
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
    HRESULT STDMETHODCALLTYPE GetDesktopItemOptions(LPCOMPONENTSOPT options, DWORD) override {
        record_("GetDesktopItemOptions");
        if (!options || options->dwSize != sizeof(COMPONENTSOPT)) return E_INVALIDARG;
        options->fEnableComponents = state.enableComponents;
        options->fActiveDesktop = state.activeDesktop;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetDesktopItemOptions(LPCCOMPONENTSOPT options,
                                                    DWORD reserved) override {
        if (!options) {
            record_("SetDesktopItemOptions null " + std::to_string(reserved));
            return E_INVALIDARG;
        }
        record_("SetDesktopItemOptions " + std::to_string(options->dwSize) + " " +
                std::to_string(options->fEnableComponents) + " " +
                std::to_string(options->fActiveDesktop) + " " + std::to_string(reserved));
        state.enableComponents = options->fEnableComponents;
        state.activeDesktop = options->fActiveDesktop;
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
    DesktopRecorder record_;
    LONG references_ = 1;
};

// A factory that lives as long as its module or its registration; its references do not
// keep it alive.
class RecordingDesktopFactory final : public IClassFactory {
  public:
    explicit RecordingDesktopFactory(DesktopRecorder record) : record_(record) {}

    // Outstanding LockServer(TRUE) calls, for a library's DllCanUnloadNow.
    static inline LONG locks = 0;

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
        auto* desktop = new RecordingActiveDesktop(record_);
        const HRESULT result = desktop->QueryInterface(iid, out);
        desktop->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            ::InterlockedIncrement(&locks);
        } else {
            ::InterlockedDecrement(&locks);
        }
        return S_OK;
    }

  private:
    DesktopRecorder record_;
};

}  // namespace velumar::testing

#endif
