#include <windows.h>

#include "runtime.h"

namespace velpack {

fs::path executablePath() {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return fs::path(buffer);
}

}  // namespace velpack
