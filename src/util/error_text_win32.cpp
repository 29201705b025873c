#include "util/error_text_win32.h"

#include <windows.h>

#include "util/error_text.h"

namespace velumar {

std::string systemErrorText(std::int32_t code) {
    if (code < 0) return {};
    // Without FORMAT_MESSAGE_IGNORE_INSERTS a message with an insert ("%1 is not a valid
    // Win32 application.") would be filled from a missing argument array.
    constexpr DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    char buffer[256] = {};
    const DWORD length = ::FormatMessageA(flags, nullptr, static_cast<DWORD>(code), 0, buffer,
                                          sizeof buffer, nullptr);
    return trimSystemErrorText(std::string_view(buffer, length));
}

std::int32_t lastErrorCode() {
    const DWORD code = ::GetLastError();
    return code == 0 ? std::int32_t(ERROR_GEN_FAILURE) : static_cast<std::int32_t>(code);
}

}  // namespace velumar
