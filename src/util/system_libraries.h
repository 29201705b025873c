// Where the shipped programs take their libraries from. They import only KERNEL32, USER32,
// GDI32, ADVAPI32 and the C run-time msvcrt.dll; every other library is loaded at run time by
// its full path in the system folder, never by name, because a name is looked for in the
// program's own folder first (and on some systems in the current folder next), and the
// program's folder is the browser's download folder. Text and rules only: nothing here looks
// at the disk.
#ifndef VELUMAR_UTIL_SYSTEM_LIBRARIES_H
#define VELUMAR_UTIL_SYSTEM_LIBRARIES_H

#include <array>
#include <cstdint>

namespace velumar {

// Loaded at program entry by their full system path, in this order, each after the libraries
// it imports itself (whose imports are looked for by name again): the input method manager
// and the visual styles, which the common controls import where they exist; the libraries the
// programs call through their run-time bindings; then those system code loads by name on
// demand: the user profile, device set-up and application compatibility layers,
// accessibility, the security descriptor provider and COM's class catalogue (which ole32 loads
// during CoCreateInstance on XP SP2 and SP3). Once a library of a name is loaded, a later load
// by that bare name gets it, wherever it came from. Names missing on the running system (most
// of them on 95, 98 and ME) are skipped.
inline constexpr std::array<const char*, 14> kLibrariesLoadedAtEntry = {
    "version.dll", "imm32.dll",  "uxtheme.dll",  "shlwapi.dll", "comctl32.dll",
    "shell32.dll", "ole32.dll",  "oleaut32.dll", "userenv.dll", "setupapi.dll",
    "apphelp.dll", "oleacc.dll", "ntmarta.dll",  "clbcatq.dll"};

// "<program>.local" beside a program (a file or a folder) makes the loader look for every
// library in the program's folder (or in that folder) first, whatever path it was asked for.
// True on the systems where that holds for the shipped programs: 98, ME, 2000 and XP before
// its Service Pack 2. 95 and NT 4 have no such redirection; XP SP2 and later ignore it for a
// program with a manifest, which the shipped programs carry.
bool dotLocalRedirects(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor,
                       std::uint32_t servicePackMajor);

}  // namespace velumar

#endif
