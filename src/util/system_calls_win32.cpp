#include "util/system_calls_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include "util/system_libraries_win32.h"

namespace velumar::sys {

namespace {

constinit SystemLibrary g_version("version.dll");
constinit SystemLibrary g_comctl32("comctl32.dll");
constinit SystemLibrary g_shell32("shell32.dll");
constinit SystemLibrary g_ole32("ole32.dll");
constinit SystemLibrary g_oleaut32("oleaut32.dll");

// One function of a library, looked up on its first call. Not a template, so that the
// programs carry its code once; call<Function> gives it its declared type.
class Bound {
  public:
    constexpr Bound(SystemLibrary& library, const char* name) noexcept
        : library_(library), name_(name) {}

    void* address() noexcept {
        if (!resolved_) {
            address_ = library_.function<void*>(name_);
            resolved_ = true;
        }
        return address_;
    }

    // Why address() has nothing, as a system error code.
    DWORD missing() noexcept {
        return library_.module() ? ERROR_PROC_NOT_FOUND : ERROR_MOD_NOT_FOUND;
    }
    HRESULT missingResult() noexcept { return HRESULT_FROM_WIN32(missing()); }

  private:
    SystemLibrary& library_;
    const char* name_;
    void* address_ = nullptr;
    bool resolved_ = false;
};

template <typename Function>
Function call(Bound& bound) noexcept {
    return reinterpret_cast<Function>(bound.address());
}

constinit Bound g_getFileVersionInfoSize(g_version, "GetFileVersionInfoSizeA");
constinit Bound g_getFileVersionInfo(g_version, "GetFileVersionInfoA");
constinit Bound g_verQueryValue(g_version, "VerQueryValueA");
constinit Bound g_initCommonControlsEx(g_comctl32, "InitCommonControlsEx");
constinit Bound g_shellExecute(g_shell32, "ShellExecuteA");
constinit Bound g_coInitialize(g_ole32, "CoInitialize");
constinit Bound g_coUninitialize(g_ole32, "CoUninitialize");
constinit Bound g_oleInitialize(g_ole32, "OleInitialize");
constinit Bound g_oleUninitialize(g_ole32, "OleUninitialize");
constinit Bound g_coCreateInstance(g_ole32, "CoCreateInstance");
constinit Bound g_coFreeUnusedLibraries(g_ole32, "CoFreeUnusedLibraries");
constinit Bound g_sysAllocStringLen(g_oleaut32, "SysAllocStringLen");
constinit Bound g_sysFreeString(g_oleaut32, "SysFreeString");
constinit Bound g_sysStringLen(g_oleaut32, "SysStringLen");
constinit Bound g_variantClear(g_oleaut32, "VariantClear");
constinit Bound g_variantChangeType(g_oleaut32, "VariantChangeType");

}  // namespace

DWORD getFileVersionInfoSize(LPCSTR path, LPDWORD handle) {
    if (const auto function = call<decltype(&::GetFileVersionInfoSizeA)>(g_getFileVersionInfoSize))
        return function(path, handle);
    ::SetLastError(g_getFileVersionInfoSize.missing());
    return 0;
}

BOOL getFileVersionInfo(LPCSTR path, DWORD handle, DWORD size, LPVOID data) {
    if (const auto function = call<decltype(&::GetFileVersionInfoA)>(g_getFileVersionInfo))
        return function(path, handle, size, data);
    ::SetLastError(g_getFileVersionInfo.missing());
    return FALSE;
}

BOOL verQueryValue(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT length) {
    if (const auto function = call<decltype(&::VerQueryValueA)>(g_verQueryValue))
        return function(block, subBlock, buffer, length);
    ::SetLastError(g_verQueryValue.missing());
    return FALSE;
}

BOOL initCommonControls(DWORD classes) {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), classes};
    if (const auto function = call<decltype(&::InitCommonControlsEx)>(g_initCommonControlsEx))
        return function(&controls);
    ::SetLastError(g_initCommonControlsEx.missing());
    return FALSE;
}

HINSTANCE shellExecute(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                       INT show) {
    if (const auto function = call<decltype(&::ShellExecuteA)>(g_shellExecute))
        return function(owner, verb, file, parameters, directory, show);
    return reinterpret_cast<HINSTANCE>(SE_ERR_DLLNOTFOUND);
}

HRESULT coInitialize() {
    if (const auto function = call<decltype(&::CoInitialize)>(g_coInitialize))
        return function(nullptr);
    return g_coInitialize.missingResult();
}

void coUninitialize() {
    if (const auto function = call<decltype(&::CoUninitialize)>(g_coUninitialize)) function();
}

HRESULT oleInitialize() {
    if (const auto function = call<decltype(&::OleInitialize)>(g_oleInitialize))
        return function(nullptr);
    return g_oleInitialize.missingResult();
}

void oleUninitialize() {
    if (const auto function = call<decltype(&::OleUninitialize)>(g_oleUninitialize)) function();
}

HRESULT coCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID interfaceId,
                         LPVOID* object) {
    if (const auto function = call<decltype(&::CoCreateInstance)>(g_coCreateInstance))
        return function(classId, outer, context, interfaceId, object);
    if (object) *object = nullptr;
    return g_coCreateInstance.missingResult();
}

void coFreeUnusedLibraries() {
    if (const auto function = call<decltype(&::CoFreeUnusedLibraries)>(g_coFreeUnusedLibraries))
        function();
}

BSTR sysAllocStringLen(const OLECHAR* text, UINT length) {
    if (const auto function = call<decltype(&::SysAllocStringLen)>(g_sysAllocStringLen))
        return function(text, length);
    return nullptr;
}

void sysFreeString(BSTR text) {
    if (const auto function = call<decltype(&::SysFreeString)>(g_sysFreeString)) function(text);
}

UINT sysStringLen(BSTR text) {
    if (const auto function = call<decltype(&::SysStringLen)>(g_sysStringLen))
        return function(text);
    return 0;
}

HRESULT variantClear(VARIANTARG* value) {
    if (const auto function = call<decltype(&::VariantClear)>(g_variantClear))
        return function(value);
    return g_variantClear.missingResult();
}

HRESULT variantChangeType(VARIANTARG* destination, VARIANTARG* source, USHORT flags, VARTYPE type) {
    if (const auto function = call<decltype(&::VariantChangeType)>(g_variantChangeType))
        return function(destination, source, flags, type);
    return g_variantChangeType.missingResult();
}

}  // namespace velumar::sys
