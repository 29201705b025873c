#include "util/registry_win32.h"

#include "util/handles_win32.h"

namespace velumar {

namespace {

// A registry key name has at most 255 characters.
constexpr DWORD kKeyNameBuffer = 256;

LONG deleteKeyTree(HKEY parent, const char* name) {
    RegistryKey key;
    LONG result = ::RegOpenKeyExA(parent, name, 0, KEY_READ | KEY_WRITE, key.put());
    if (result == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (result != ERROR_SUCCESS) return result;
    // Always the first sub-key: the one before it has just been deleted. One that is listed
    // again after its deletion (a name the key cannot be opened under) ends the walk.
    char previous[kKeyNameBuffer] = {};
    for (;;) {
        char subKey[kKeyNameBuffer] = {};
        DWORD length = kKeyNameBuffer;
        result = ::RegEnumKeyExA(key.get(), 0, subKey, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) return result;
        if (::lstrcmpA(subKey, previous) == 0) return ERROR_ACCESS_DENIED;
        result = deleteKeyTree(key.get(), subKey);
        if (result != ERROR_SUCCESS) return result;
        ::lstrcpyA(previous, subKey);
    }
    key.reset();
    return ::RegDeleteKeyA(parent, name);
}

}  // namespace

LONG deleteRegistryTree(HKEY root, const std::string& path) {
    if (path.empty()) return ERROR_INVALID_PARAMETER;
    return deleteKeyTree(root, path.c_str());
}

}  // namespace velumar
