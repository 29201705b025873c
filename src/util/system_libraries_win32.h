// Libraries loaded only from the system folder (Win32 build only): what the programs do at
// entry, and the one way they load a library afterwards.
#ifndef VELUMAR_UTIL_SYSTEM_LIBRARIES_WIN32_H
#define VELUMAR_UTIL_SYSTEM_LIBRARIES_WIN32_H

#include <windows.h>

#include "util/handles_win32.h"

namespace velumar {

// Program entry, before anything else: the current folder becomes the system folder, so that
// no load by name and no program started later looks in the folder the program was started
// from; where kernel32 exports SetDllDirectoryA (XP SP1 and later) the current folder leaves
// the search order altogether; and the libraries of kLibrariesLoadedAtEntry that exist are
// loaded by their full system path.
void loadLibrariesOnlyFromSystemFolder();

// True when a "<program>.local" beside the program is honoured by the running system (98, ME,
// 2000, XP before SP2): a load by full path could then come from the program's folder, and the
// program loads no library at run time. Whoever loads a library by a full path of its own
// asks this first.
bool libraryRedirectionInForce();

// One library of the system folder, loaded by its full path the first time it is asked for,
// and kept loaded for the rest of the run: a library freed again would leave its name free
// for a load by name. Not loaded at all when it is missing there, or when a
// "<program>.local" on a system that honours it could send the load to the program's folder.
class SystemLibrary {
  public:
    explicit constexpr SystemLibrary(const char* fileName) noexcept : fileName_(fileName) {}

    // The module, or nullptr when it could not be loaded from the system folder.
    HMODULE module() noexcept;

    // The exported function of that name, or nullptr when the library or the function is
    // missing.
    template <typename Function>
    Function function(const char* name) noexcept {
        const HMODULE loaded = module();
        return loaded ? procAddress<Function>(loaded, name) : nullptr;
    }

  private:
    const char* fileName_;
    HMODULE module_ = nullptr;
    bool tried_ = false;
};

}  // namespace velumar

#endif
