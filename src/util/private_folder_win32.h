// What makes a temporary folder private (Win32 build only): a name that cannot be guessed from
// one run to the next, and on Windows NT (2000, XP) a security descriptor that lets only the
// user, the Administrators and SYSTEM use it, whatever the permissions of TEMP (C:\TEMP is
// "Everyone Change" on a default 2000, Windows\Temp writable by all users): nobody else can add
// a file to it or replace one in it. Windows 95, 98 and ME have no permissions to give.
#ifndef VELUMAR_UTIL_PRIVATE_FOLDER_WIN32_H
#define VELUMAR_UTIL_PRIVATE_FOLDER_WIN32_H

#include <windows.h>

#include <array>
#include <vector>

namespace velumar {

// A 32-bit value for a folder name: the system's random bytes where it has them (RtlGenRandom,
// XP and later), mixed with timers, identifiers and a count of the calls.
unsigned long unguessableValue();

// The security attributes of a private folder: null on Windows 95, 98 and ME, and where the
// system does not say who the user is (the folder then gets TEMP's permissions, as before).
class PrivateFolderSecurity {
  public:
    PrivateFolderSecurity();
    PrivateFolderSecurity(const PrivateFolderSecurity&) = delete;
    PrivateFolderSecurity& operator=(const PrivateFolderSecurity&) = delete;

    SECURITY_ATTRIBUTES* attributes() noexcept { return ready_ ? &attributes_ : nullptr; }

  private:
    bool build();

    bool ready_ = false;
    std::vector<BYTE> user_;  // TOKEN_USER, with the user's SID
    std::vector<BYTE> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
};

}  // namespace velumar

#endif
