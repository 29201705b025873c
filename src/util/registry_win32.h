// Registry operations beyond single calls (Win32 build only).
#ifndef VELUMAR_UTIL_REGISTRY_WIN32_H
#define VELUMAR_UTIL_REGISTRY_WIN32_H

#include <windows.h>

#include <string>

namespace velumar {

// Deletes the key root\path with all its sub-keys and values, deepest first (RegDeleteKeyA
// removes only a key without sub-keys on 2000 and XP). ERROR_SUCCESS also when there was no
// such key; otherwise the code of the first deletion that failed, whatever was deleted before
// it staying deleted. An empty path is refused (ERROR_INVALID_PARAMETER): it would name root.
LONG deleteRegistryTree(HKEY root, const std::string& path);

}  // namespace velumar

#endif
