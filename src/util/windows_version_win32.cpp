#include "util/windows_version_win32.h"

#include <windows.h>

#include <vector>

#include "util/system_calls_win32.h"

namespace velumar {

WindowsVersionFlags windowsVersionFlags() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;  // 148 bytes
    static_assert(sizeof(OSVERSIONINFOA) == 148);
    if (!::GetVersionExA(&info)) return {};
    return classifyWindowsVersion(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

bool readFileVersion(const std::string& path, int& major, int& third) {
    DWORD ignored = 0;
    const DWORD size = sys::getFileVersionInfoSize(path.c_str(), &ignored);
    if (size == 0) return false;
    std::vector<char> block(size);
    if (!sys::getFileVersionInfo(path.c_str(), 0, size, block.data())) return false;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedLength = 0;
    char root[] = "\\";
    if (!sys::verQueryValue(block.data(), root, reinterpret_cast<void**>(&fixed), &fixedLength) ||
        fixed == nullptr || fixedLength < sizeof(VS_FIXEDFILEINFO))
        return false;
    major = HIWORD(fixed->dwFileVersionMS);
    third = HIWORD(fixed->dwFileVersionLS);
    return true;
}

}  // namespace velumar
