// The functions the programs call in VERSION, COMCTL32, SHELL32, ole32 and OLEAUT32, bound at
// run time (Win32 build only): each library is loaded by its full path in the system folder
// (SystemLibrary), each function looked up once, by name, on its first call. The programs do
// not import these libraries, so that none of them can be taken from the program's folder.
//
// A call whose library or function is missing does nothing and fails the way the function
// itself fails: an HRESULT of ERROR_MOD_NOT_FOUND or ERROR_PROC_NOT_FOUND, FALSE or 0 with
// that code for GetLastError, SE_ERR_DLLNOTFOUND from shellExecute, a null string.
#ifndef VELUMAR_UTIL_SYSTEM_CALLS_WIN32_H
#define VELUMAR_UTIL_SYSTEM_CALLS_WIN32_H

#include <windows.h>
#include <ole2.h>

namespace velumar::sys {

// VERSION
DWORD getFileVersionInfoSize(LPCSTR path, LPDWORD handle);
BOOL getFileVersionInfo(LPCSTR path, DWORD handle, DWORD size, LPVOID data);
BOOL verQueryValue(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT length);

// COMCTL32: InitCommonControlsEx for the classes named (ICC_* flags).
BOOL initCommonControls(DWORD classes);

// SHELL32
HINSTANCE shellExecute(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                       INT show);

// ole32
HRESULT coInitialize();
void coUninitialize();
HRESULT oleInitialize();
void oleUninitialize();
HRESULT coCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID interfaceId,
                         LPVOID* object);
void coFreeUnusedLibraries();

// OLEAUT32
BSTR sysAllocStringLen(const OLECHAR* text, UINT length);
void sysFreeString(BSTR text);
UINT sysStringLen(BSTR text);
HRESULT variantClear(VARIANTARG* value);
HRESULT variantChangeType(VARIANTARG* destination, VARIANTARG* source, USHORT flags, VARTYPE type);
// VariantInit does no more than this, and needs no library.
inline void variantInit(VARIANTARG* value) noexcept {
    value->vt = VT_EMPTY;
}

}  // namespace velumar::sys

#endif
